// Chinese numerals for volume names: 1 → 一, 10 → 十, 21 → 二十一,
// 105 → 一百零五, 110 → 一百一十, 255 → 二百五十五.

const DIGITS = '〇一二三四五六七八九';

export function numeral(n) {
  if (!Number.isInteger(n) || n < 1 || n > 9999) throw new RangeError(`no numeral for ${n}`);
  if (n < 10) return DIGITS[n];
  if (n < 20) return '十' + (n % 10 ? DIGITS[n % 10] : '');
  if (n < 100) return DIGITS[Math.floor(n / 10)] + '十' + (n % 10 ? DIGITS[n % 10] : '');
  const [unit, size] = n < 1000 ? ['百', 100] : ['千', 1000];
  const head = DIGITS[Math.floor(n / size)] + unit;
  const rest = n % size;
  if (rest === 0) return head;
  if (rest < size / 10) return head + '零' + numeral(rest);
  return head + (rest < 20 ? '一' : '') + numeral(rest);
}
