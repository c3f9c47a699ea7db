// Pool resolution of a train start: a script line's "POOL" names POOL blocks of the script,
// and each gives one of its lines, whose parameters (and the pool's additional ones) join the
// start's parameter set behind those already there, so that they supply what the line leaves
// open. A pool line may name further pools, to a depth of five pools per start.
#pragma once

#include <cstdint>
#include <string_view>

namespace yov {

// 0 when every named pool gave a line (or none is named), -1 when a pool had none left.
int16_t ResolvePool(int32_t train, std::u16string_view pools);

}  // namespace yov
