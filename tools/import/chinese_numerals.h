#pragma once
// Numbers in the way volume names write them: 1 一, 10 十, 12 十二, 20 二十,
// 105 一百零五, 1000 一千.
#include <string>

namespace vesk::import {

// n from 1 to 9999; other numbers in decimal digits.
std::string ChineseNumeral(int n);

} // namespace vesk::import
