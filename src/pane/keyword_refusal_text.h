#pragma once
// Why a keyword was refused, in the window's language, for the status bar.
#include "query/keyword_query.h"

#include <QString>

namespace vesk {

QString RefusalText(const KeywordRefusal& refusal);

} // namespace vesk
