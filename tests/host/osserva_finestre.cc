// Runs beside a program under test and reports what it shows, as another
// process sees it: waits up to the given seconds for a message box, then
// prints the waiting window, its label and the box, one line each. Exit 0 when
// a box was found, 1 when none came.
//
//   finestra <title> client <w>x<h>
//   etichetta <text> <left>,<top> <w>x<h>
//   messaggio <caption> | <text> | pulsanti <button texts>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {
std::wstring testo(HWND h) {
  // GetWindowTextW reads another process's windows without sending them
  // messages: the program under test processes none while it works.
  wchar_t b[512];
  int n = GetWindowTextW(h, b, 512);
  return std::wstring(b, static_cast<size_t>(n));
}

std::wstring classe(HWND h) {
  wchar_t b[256];
  int n = GetClassNameW(h, b, 256);
  return std::wstring(b, static_cast<size_t>(n));
}

std::vector<HWND> figli(HWND genitore) {
  std::vector<HWND> v;
  EnumChildWindows(
      genitore,
      [](HWND h, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&v));
  return v;
}

std::vector<HWND> finestre_visibili() {
  std::vector<HWND> v;
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        if (IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&v));
  return v;
}

void scrivi(const std::wstring& riga) {
  std::string s(
      static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, riga.c_str(), -1, nullptr, 0, nullptr, nullptr)),
      '\0');
  WideCharToMultiByte(CP_UTF8, 0, riga.c_str(), -1, s.data(), static_cast<int>(s.size()), nullptr, nullptr);
  std::printf("%s\n", s.c_str());
}

void descrivi_form(HWND form) {
  RECT c;
  GetClientRect(form, &c);
  scrivi(L"finestra " + testo(form) + L" client " + std::to_wstring(c.right) + L"x" +
         std::to_wstring(c.bottom));
  for (HWND f : figli(form)) {
    if (_wcsicmp(classe(f).c_str(), L"Static") != 0) continue;
    RECT r;
    GetWindowRect(f, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    scrivi(L"etichetta " + testo(f) + L" " + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " +
           std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top));
  }
}

void descrivi_messaggio(HWND box) {
  std::wstring parole, pulsanti;
  for (HWND f : figli(box)) {
    std::wstring c = classe(f), t = testo(f);
    if (_wcsicmp(c.c_str(), L"Static") == 0 && !t.empty()) parole += t;
    if (_wcsicmp(c.c_str(), L"Button") == 0 && IsWindowVisible(f)) pulsanti += L" " + t;
  }
  scrivi(L"messaggio " + testo(box) + L" | " + parole + L" | pulsanti" + pulsanti);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Lines end in LF alone, as the shell that reads them expects.
  _setmode(_fileno(stdout), _O_BINARY);
  const DWORD attesa_ms = argc > 1 ? static_cast<DWORD>(_wtoi(argv[1])) * 1000 : 30000;
  const DWORD inizio = GetTickCount();
  for (;;) {
    HWND box = nullptr;
    std::vector<HWND> form;
    for (HWND h : finestre_visibili()) {
      if (classe(h) == L"#32770") box = h;
      if (testo(h) == L"Form1") form.push_back(h);
    }
    if (box != nullptr) {
      for (HWND f : form) descrivi_form(f);
      descrivi_messaggio(box);
      std::fflush(stdout);
      return 0;
    }
    if (GetTickCount() - inizio > attesa_ms) return 1;
    Sleep(50);
  }
}
