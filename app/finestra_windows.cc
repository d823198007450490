#include "app/finestra_windows.h"

#include <initializer_list>
#include <vector>

#include "app/avvio.h"

namespace {
// The form as it was drawn, in twips (1440 to the inch).
constexpr int twip_per_pollice = 1440;
constexpr int larghezza_client = 4200;
constexpr int altezza_client = 2688;
constexpr int etichetta_sinistra = 960;
constexpr int etichetta_alto = 960;
constexpr int etichetta_larghezza = 2652;
constexpr int etichetta_altezza = 792;
constexpr int punti_etichetta = 24;

constexpr const wchar_t* classe_form = L"Form1";

int pixel(int twip, int dpi) { return MulDiv(twip, dpi, twip_per_pollice); }

// What a face offers at this DC: nothing, any size, or the character heights
// of its bitmaps.
struct offerta_faccia {
  bool presente = false;
  bool scalabile = false;
  std::vector<int> altezze;

  // A bitmap face serves only in a size it has: scaled up it comes out blocky
  // or, on some systems, as small glyphs spread apart.
  bool serve(int altezza) const {
    if (scalabile) return true;
    for (int a : altezze)
      if (a >= altezza - 1 && a <= altezza + 1) return true;
    return false;
  }
};

int CALLBACK faccia_trovata(const LOGFONTW*, const TEXTMETRICW* tm, DWORD tipo, LPARAM p) {
  auto* o = reinterpret_cast<offerta_faccia*>(p);
  o->presente = true;
  if ((tipo & RASTER_FONTTYPE) == 0)
    o->scalabile = true;
  else
    o->altezze.push_back(tm->tmHeight - tm->tmInternalLeading);
  return 1;
}

offerta_faccia offerta(HDC dc, const wchar_t* faccia) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, faccia, LF_FACESIZE);
  offerta_faccia o;
  EnumFontFamiliesExW(dc, &lf, faccia_trovata, reinterpret_cast<LPARAM>(&o), 0);
  return o;
}

HFONT grassetto(int altezza, const wchar_t* faccia) {
  return CreateFontW(-altezza, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, faccia);
}

bool entra(HDC dc, HFONT carattere, const std::wstring& testo, const RECT& riquadro) {
  HGDIOBJ prima = SelectObject(dc, carattere);
  SIZE s{};
  const BOOL misurato = GetTextExtentPoint32W(dc, testo.c_str(), static_cast<int>(testo.size()), &s);
  SelectObject(dc, prima);
  return misurato && s.cx <= riquadro.right && s.cy <= riquadro.bottom;
}

// The font the form was drawn with where it serves; otherwise a successor, or
// with none of them the mapper's sans serif, at the largest size at which the
// caption fits the label: these faces are wider, and a static control cuts
// what does not fit.
HFONT carattere_etichetta(HWND etichetta, const std::wstring& testo) {
  HDC dc = GetDC(etichetta);
  RECT riquadro;
  GetClientRect(etichetta, &riquadro);
  const int altezza = MulDiv(punti_etichetta, GetDeviceCaps(dc, LOGPIXELSY), 72);
  // From the form's size down to the smallest allowed.
  auto piu_grande = [&](const wchar_t* faccia, const offerta_faccia& o, int minima) -> HFONT {
    if (!o.presente) return nullptr;
    for (int a = altezza; a >= minima; --a) {
      if (!o.serve(a)) continue;
      HFONT f = grassetto(a, faccia);
      if (entra(dc, f, testo, riquadro)) return f;
      DeleteObject(f);
    }
    return nullptr;
  };
  HFONT scelto = piu_grande(L"MS Sans Serif", offerta(dc, L"MS Sans Serif"), altezza);
  for (const wchar_t* faccia : {L"Microsoft Sans Serif", L"Tahoma"})
    if (scelto == nullptr) scelto = piu_grande(faccia, offerta(dc, faccia), 1);
  if (scelto == nullptr) scelto = piu_grande(L"", offerta_faccia{true, true, {}}, 1);
  ReleaseDC(etichetta, dc);
  // Not even the smallest size fits: the label cuts it, as it would any.
  return scelto != nullptr ? scelto : grassetto(altezza, L"");
}
}  // namespace

std::wstring testo_largo(const std::string& testo) {
  if (testo.empty()) return {};
  // Paths come as UTF-8; anything that is not is taken in the ANSI code page.
  UINT pagina = CP_UTF8;
  DWORD opzioni = MB_ERR_INVALID_CHARS;
  int n = MultiByteToWideChar(pagina, opzioni, testo.data(), static_cast<int>(testo.size()), nullptr, 0);
  if (n == 0) {
    pagina = CP_ACP;
    opzioni = 0;
    n = MultiByteToWideChar(pagina, opzioni, testo.data(), static_cast<int>(testo.size()), nullptr, 0);
  }
  std::wstring largo(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(pagina, opzioni, testo.data(), static_cast<int>(testo.size()), largo.data(), n);
  return largo;
}

HWND mostra_finestra_attesa(HINSTANCE istanza, int modo) {
  WNDCLASSW classe{};
  classe.lpfnWndProc = DefWindowProcW;
  classe.hInstance = istanza;
  classe.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  classe.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  classe.lpszClassName = classe_form;
  RegisterClassW(&classe);

  HDC schermo = GetDC(nullptr);
  const int dpi_x = GetDeviceCaps(schermo, LOGPIXELSX);
  const int dpi_y = GetDeviceCaps(schermo, LOGPIXELSY);
  ReleaseDC(nullptr, schermo);

  const DWORD stile = WS_OVERLAPPEDWINDOW;
  RECT r{0, 0, pixel(larghezza_client, dpi_x), pixel(altezza_client, dpi_y)};
  AdjustWindowRectEx(&r, stile, FALSE, 0);
  HWND form = CreateWindowExW(0, classe_form, L"Form1", stile, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, istanza, nullptr);
  const std::wstring testo = testo_largo(testo_attesa);
  HWND etichetta = CreateWindowExW(0, L"STATIC", testo.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                   pixel(etichetta_sinistra, dpi_x), pixel(etichetta_alto, dpi_y),
                                   pixel(etichetta_larghezza, dpi_x), pixel(etichetta_altezza, dpi_y), form,
                                   nullptr, istanza, nullptr);
  SendMessageW(etichetta, WM_SETFONT, reinterpret_cast<WPARAM>(carattere_etichetta(etichetta, testo)), FALSE);

  ShowWindow(form, modo);
  UpdateWindow(form);
  return form;
}
