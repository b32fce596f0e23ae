#include "pane/keyword_refusal_text.h"

namespace vesk {
namespace {

QString FormProblemText(CodePointFormProblem problem)
{
    switch (problem) {
    case CodePointFormProblem::NoDigits: return QStringLiteral("コード位置の数字がありません");
    case CodePointFormProblem::Unterminated: return QStringLiteral("最後の「;」がありません");
    case CodePointFormProblem::TooLarge: return QStringLiteral("U+10FFFF を超える文字はありません");
    case CodePointFormProblem::Surrogate: return QStringLiteral("サロゲート（U+D800～U+DFFF）は文字ではありません");
    case CodePointFormProblem::BelowSearchable: return QStringLiteral("U+0100 未満の文字は検索できません");
    }
    return {};
}

} // namespace

QString CodePointFormErrorText(const CodePointFormError& error)
{
    return QStringLiteral("「%1」は使えません：%2。")
        .arg(QString::fromStdU16String(error.form), FormProblemText(error.problem));
}

QString RefusalText(const KeywordRefusal& refusal)
{
    switch (refusal.kind) {
    case KeywordRefusalKind::CodePointForm:
        return QStringLiteral("検索しませんでした。") + CodePointFormErrorText(refusal.form);
    case KeywordRefusalKind::EmptyExclusion:
        return QStringLiteral("検索しませんでした：「-」の後に除外する語がありません。");
    case KeywordRefusalKind::OnlyExclusions:
        return QStringLiteral("検索しませんでした：除外する語のほかに探す語がありません。");
    case KeywordRefusalKind::NoTerm:
        return QStringLiteral("検索しませんでした：キーワードに語がありません。");
    case KeywordRefusalKind::Rejected:
        break;
    }
    const QString code = QStringLiteral("%1").arg(static_cast<unsigned>(refusal.unit), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("検索しませんでした：U+%1 の文字（英数字など）は検索できません。").arg(code);
}

} // namespace vesk
