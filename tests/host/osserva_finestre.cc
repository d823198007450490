// Runs beside a program under test and reports what it shows, as another
// process sees it: waits up to the given seconds for a message box, then
// prints the waiting window, its label, the caption's extent in the label's
// font and the box, one line each. Exit 0 when a box was found, 1 when none
// came.
//
//   finestra <title> client <w>x<h>
//   etichetta <text> <left>,<top> <w>x<h>
//   testo <w>x<h> in <height> px <weight> <face>; <w>x<h> in <height + 1> px
//   messaggio <caption> | <text> | pulsanti <button texts>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <set>
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

// A 32-bit picture with a memory DC to draw on or copy into.
class tela {
 public:
  tela(int larghezza, int altezza) : larghezza_(larghezza), altezza_(altezza) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = larghezza;
    bi.bmiHeader.biHeight = -altezza;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bit = nullptr;
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bit, nullptr, 0);
    bit_ = static_cast<const uint32_t*>(bit);
    prima_ = SelectObject(dc_, bitmap_);
  }
  ~tela() {
    SelectObject(dc_, prima_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  tela(const tela&) = delete;
  tela& operator=(const tela&) = delete;

  HDC dc() const { return dc_; }
  // The colours alone: the fourth byte is not defined for every way of drawing.
  bool uguale(const tela& altra) const {
    GdiFlush();
    for (int i = 0; i < larghezza_ * altezza_; ++i)
      if ((bit_[i] & 0xFFFFFF) != (altra.bit_[i] & 0xFFFFFF)) return false;
    return true;
  }

 private:
  int larghezza_, altezza_;
  HDC dc_;
  HBITMAP bitmap_;
  const uint32_t* bit_ = nullptr;
  HGDIOBJ prima_;
};

std::vector<std::wstring> famiglie(HDC dc) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  std::set<std::wstring> s;
  EnumFontFamiliesExW(
      dc, &lf,
      [](const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
        reinterpret_cast<std::set<std::wstring>*>(p)->insert(f->lfFaceName);
        return 1;
      },
      reinterpret_cast<LPARAM>(&s), 0);
  return {s.begin(), s.end()};
}

HFONT crea_carattere(const std::wstring& faccia, int altezza, int peso) {
  return CreateFontW(-altezza, 0, 0, 0, peso, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, faccia.c_str());
}

SIZE esteso(HDC dc, const std::wstring& faccia, int altezza, int peso, const std::wstring& t) {
  HFONT f = crea_carattere(faccia, altezza, peso);
  HGDIOBJ prima = SelectObject(dc, f);
  SIZE s{};
  GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &s);
  SelectObject(dc, prima);
  DeleteObject(f);
  return s;
}

struct carattere_visto {
  std::wstring faccia;
  int altezza;
  int peso;
};

// Another process's font cannot be read, but what it drew can: the label as
// the screen shows it is drawn again, as a static control draws its text, in
// every face, size and weight until one gives the same pixels.
std::optional<carattere_visto> carattere_etichetta(HWND etichetta, HDC dc) {
  RECT r;
  GetClientRect(etichetta, &r);
  POINT origine{0, 0};
  ClientToScreen(etichetta, &origine);
  tela vista(r.right, r.bottom);
  HDC schermo = GetDC(nullptr);
  BitBlt(vista.dc(), 0, 0, r.right, r.bottom, schermo, origine.x, origine.y, SRCCOPY);
  ReleaseDC(nullptr, schermo);

  const std::wstring didascalia = testo(etichetta);
  tela prova(r.right, r.bottom);
  HBRUSH fondo = GetSysColorBrush(COLOR_BTNFACE);
  SetBkColor(prova.dc(), GetSysColor(COLOR_BTNFACE));
  SetTextColor(prova.dc(), GetSysColor(COLOR_WINDOWTEXT));
  for (const std::wstring& faccia : famiglie(dc)) {
    for (int peso : {FW_BOLD, FW_NORMAL}) {
      for (int altezza = 1; altezza <= 2 * r.bottom; ++altezza) {
        HFONT f = crea_carattere(faccia, altezza, peso);
        HGDIOBJ prima = SelectObject(prova.dc(), f);
        FillRect(prova.dc(), &r, fondo);
        RECT riquadro = r;
        DrawTextW(prova.dc(), didascalia.c_str(), -1, &riquadro,
                  DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
        const bool stesso = prova.uguale(vista);
        SelectObject(prova.dc(), prima);
        DeleteObject(f);
        if (stesso) return carattere_visto{faccia, altezza, peso};
      }
    }
  }
  return std::nullopt;
}

std::wstring dimensioni(SIZE s) { return std::to_wstring(s.cx) + L"x" + std::to_wstring(s.cy); }

// The caption's extent in the label's font, and one pixel taller: whether the
// next size would still have fitted.
void descrivi_testo(HWND etichetta) {
  HDC dc = GetDC(nullptr);
  const std::wstring t = testo(etichetta);
  if (std::optional<carattere_visto> c = carattere_etichetta(etichetta, dc)) {
    scrivi(L"testo " + dimensioni(esteso(dc, c->faccia, c->altezza, c->peso, t)) + L" in " +
           std::to_wstring(c->altezza) + L" px " + std::to_wstring(c->peso) + L" " + c->faccia + L"; " +
           dimensioni(esteso(dc, c->faccia, c->altezza + 1, c->peso, t)) + L" in " +
           std::to_wstring(c->altezza + 1) + L" px");
  } else {
    scrivi(L"testo in un carattere non riconosciuto");
  }
  ReleaseDC(nullptr, dc);
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
    descrivi_testo(f);
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
