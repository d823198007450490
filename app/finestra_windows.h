// The window of the Windows host: "Form1" with the one label "Attendere".
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Creates, shows and paints the window once. The run that follows processes
// no messages, so nothing repaints it afterwards.
HWND mostra_finestra_attesa(HINSTANCE istanza, int modo);

// A text of the core (ASCII, UTF-8 paths) in the form the window system takes.
std::wstring testo_largo(const std::string& testo);
