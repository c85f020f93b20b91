// The best class of a recognised sequence, read from its row's "class:score" cells, for a
// column the window shows beside them.
#pragma once

#include <string>
#include <vector>

#include "core/NumberFormat.h"

namespace motifora {

// The cell with the highest score among `cells` ("3:12.40", as the recognition writes them with
// `numbers`), as it is written; the first of equal scores. Cells that do not read as a score
// (empty, "New", not a number) are passed over; "" when none reads.
std::string bestClassCell(const std::vector<std::string>& cells, const NumberFormat& numbers);

}  // namespace motifora
