#include "import/chinese_numerals.h"

namespace vesk::import {

std::string ChineseNumeral(int n)
{
    if (n < 1 || n > 9999)
        return std::to_string(n);
    static const char* const digits[] = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    static const char* const units[] = {"千", "百", "十", ""};
    const int parts[] = {n / 1000, n / 100 % 10, n / 10 % 10, n % 10};
    std::string out;
    bool zeroPending = false;
    for (int k = 0; k < 4; ++k) {
        if (parts[k] == 0) {
            zeroPending = !out.empty();
            continue;
        }
        if (zeroPending)
            out += digits[0];
        zeroPending = false;
        // 十 alone stands for 10..19 at the front.
        if (!(k == 2 && parts[k] == 1 && out.empty()))
            out += digits[parts[k]];
        out += units[k];
    }
    return out;
}

} // namespace vesk::import
