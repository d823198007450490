// Which record of a line and a train description placed each cell: the
// build of the two, run in memory with a listener, tells it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/scenario.h"

namespace autori {

struct origine_cella {
  // False for a code point that the finishing pass added, which no record gives.
  bool da_record = true;
  int documento = 0;  // 1 line, 2 train
  size_t offset = 0;  // where the record begins
  std::string_view record;
  // A code cut's code that the finishing pass brought down to 180.
  bool abbassato = false;
};

struct provenienza {
  // Empty when the descriptions build exactly the cells given; otherwise how
  // they differ, "build other cells: ...", and no cell has an origin.
  std::string scarto;
  // One per cell; none for a cell that holds no object.
  std::vector<std::optional<origine_cella>> celle;
};

provenienza provenienza_celle(const std::vector<cella>& celle, const std::string& linea,
                              const std::string& treno, const std::string& identificativo,
                              const std::string& numero_treno);

}  // namespace autori
