#pragma once
// Why a keyword was refused, in the window's language, for the status bar.
#include "query/keyword_query.h"

#include <QString>

namespace vesk {

QString RefusalText(const KeywordRefusal& refusal);
// What is wrong with a code-point form, for the status bar and the input dialog.
QString CodePointFormErrorText(const CodePointFormError& error);

} // namespace vesk
