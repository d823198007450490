// The descriptions of a route of the maximum length, 1,000,000 m, with a
// record of each kind every few kilometres: gradients, curves, tunnels with
// lights, signals and slowdowns along it.
#pragma once

#include <string>

inline std::string linea_massima() {
  std::string s = "percorso di prova\r\n[generale]\r\nlunghezza percorso, 1000000\r\n";
  for (int p = 0; p < 1000000; p += 1000)
    s += "pendenza, " + std::to_string(p) + ", " + std::to_string(p / 1000 % 21 - 10) + "\r\n";
  for (int p = 500; p < 1000000; p += 5000)
    s += std::string(p / 5000 % 2 ? "curvad" : "curvas") + std::to_string(p / 5000 % 6 + 1) + ", " +
         std::to_string(p) + ", 1500\r\n";
  for (int i = 0; i < 80; ++i)
    s += "montagna, " + std::to_string(10000 + i * 12000) + ", " + std::to_string(14000 + i * 12000) +
         ", 11\r\n";
  s += "[fine]\r\n                \r\n";
  return s;
}

inline std::string treno_massimo() {
  std::string s = "treno di prova\r\n[generale]\r\naderenza, 0, 80\r\nvelocita, 0, 200\r\n";
  for (int p = 2025; p < 1000000; p += 3000)
    s += "segnale, " + std::to_string(p) + ", 2, 4, 1, 0, 0, 2, 2,0,0, 0\r\n";
  for (int p = 10000; p < 990000; p += 50000)
    s += "rallentamento, " + std::to_string(p) + ", 60, 2100, 0, 1, 0\r\n";
  s += "     [fine]\r\n";
  return s;
}
