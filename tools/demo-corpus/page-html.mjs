// The HTML of one page, following the conventions the reader relies on: a
// <title>, a table of two cells opened by "<TD" and closed by "</TD>", the
// running text in the first cell on even page numbers and in the second cell
// on odd ones, and annotations set in the reader's small-type font tag.

export const ANNOTATION_OPEN = '<font size=-1 color="#993366">';
export const ANNOTATION_CLOSE = '</font>';

const ESCAPES = { '&': '&amp;', '<': '&lt;', '>': '&gt;' };

export function escapeHtml(text) {
  return text.replace(/[&<>]/g, (c) => ESCAPES[c]);
}

function paragraphHtml(segs) {
  let html = '<p>';
  for (const s of segs) {
    html += s.note ? ANNOTATION_OPEN + escapeHtml(s.text) + ANNOTATION_CLOSE : escapeHtml(s.text);
  }
  return html + '</p>\n';
}

export function textCellHtml(items) {
  let html = '\n';
  for (const item of items) {
    html += item.kind === 'h4' ? `<h4>${escapeHtml(item.text)}</h4>\n` : paragraphHtml(item.segs);
  }
  return html;
}

export function pageHtml({ title, items, pageNumber }) {
  const text = `<TD valign="top">${textCellHtml(items)}</TD>`;
  const empty = '<TD></TD>';
  const [first, second] = pageNumber % 2 === 0 ? [text, empty] : [empty, text];
  return (
    '<!DOCTYPE html>\n<html>\n<head>\n<meta charset="utf-8">\n' +
    `<title>${escapeHtml(title)}</title>\n` +
    '</head>\n<body>\n<table width="100%" cellpadding="10">\n<tr>\n' +
    `${first}\n${second}\n` +
    '</tr>\n</table>\n</body>\n</html>\n'
  );
}
