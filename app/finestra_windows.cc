#include "app/finestra_windows.h"

#include <initializer_list>

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

struct ricerca_carattere {
  int altezza;  // character height wanted, in pixels
  bool adatto = false;
};

int CALLBACK misura_trovata(const LOGFONTW*, const TEXTMETRICW* tm, DWORD tipo, LPARAM p) {
  auto* r = reinterpret_cast<ricerca_carattere*>(p);
  // A bitmap face serves only in a size it has: scaled up it comes out blocky
  // or, on some systems, as small glyphs spread apart.
  const int altezza = tm->tmHeight - tm->tmInternalLeading;
  if ((tipo & RASTER_FONTTYPE) == 0 || (altezza >= r->altezza - 1 && altezza <= r->altezza + 1)) {
    r->adatto = true;
    return 0;
  }
  return 1;
}

bool carattere_adatto(HDC dc, const wchar_t* faccia, int altezza) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, faccia, LF_FACESIZE);
  ricerca_carattere r{altezza};
  EnumFontFamiliesExW(dc, &lf, misura_trovata, reinterpret_cast<LPARAM>(&r), 0);
  return r.adatto;
}

HFONT carattere_etichetta(HDC dc) {
  // MS Sans Serif may be missing, or lack this size; its successors keep the
  // look. With none of them the font mapper picks a sans serif.
  const int altezza = MulDiv(punti_etichetta, GetDeviceCaps(dc, LOGPIXELSY), 72);
  const wchar_t* faccia = L"";
  for (const wchar_t* f : {L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma"}) {
    if (carattere_adatto(dc, f, altezza)) {
      faccia = f;
      break;
    }
  }
  return CreateFontW(-altezza, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, faccia);
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
  HFONT carattere = carattere_etichetta(schermo);
  ReleaseDC(nullptr, schermo);

  const DWORD stile = WS_OVERLAPPEDWINDOW;
  RECT r{0, 0, pixel(larghezza_client, dpi_x), pixel(altezza_client, dpi_y)};
  AdjustWindowRectEx(&r, stile, FALSE, 0);
  HWND form = CreateWindowExW(0, classe_form, L"Form1", stile, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, istanza, nullptr);
  HWND etichetta = CreateWindowExW(
      0, L"STATIC", testo_largo(testo_attesa).c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
      pixel(etichetta_sinistra, dpi_x), pixel(etichetta_alto, dpi_y), pixel(etichetta_larghezza, dpi_x),
      pixel(etichetta_altezza, dpi_y), form, nullptr, istanza, nullptr);
  SendMessageW(etichetta, WM_SETFONT, reinterpret_cast<WPARAM>(carattere), FALSE);

  ShowWindow(form, modo);
  UpdateWindow(form);
  return form;
}
