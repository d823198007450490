// Writes the descriptions of the route of the maximum length that the
// timings of tools/banco build, for the page's timings in a browser.
#include <fstream>
#include <iostream>

#include "percorso_massimo.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: vista_percorso_massimo LINE TRAIN\n";
    return 64;
  }
  std::ofstream(argv[1], std::ios::binary) << linea_massima();
  std::ofstream(argv[2], std::ios::binary) << treno_massimo();
  return 0;
}
