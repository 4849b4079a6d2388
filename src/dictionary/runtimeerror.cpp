#include "dictionary/runtimeerror.h"

#include "dictionary/utf8.h"

#include <utility>

namespace tamberlo {

namespace {

std::string composeReport(ErrorKind kind, const std::string &path, long line, const std::string &detail)
{
    std::string text = "実行時エラー: ";
    text += errorName(kind);
    if (!path.empty())
        text += "\nファイル: " + utf8::sanitized(path);
    if (line != 0)
        text += "\n行: " + std::to_string(line);
    if (!detail.empty())
        text += "\n" + utf8::sanitized(detail);
    return text;
}

} // namespace

RuntimeError::RuntimeError(ErrorKind kind, std::string path, long line, std::string detail)
    : std::runtime_error(composeReport(kind, path, line, detail))
    , m_kind(kind)
    , m_path(std::move(path))
    , m_line(line)
    , m_detail(std::move(detail))
{
}

const char *errorName(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::FileNotFound:
        return "ファイルが見つかりません";
    case ErrorKind::InputPastEndOfFile:
        return "ファイルの終わりを越えて読み込もうとしました";
    case ErrorKind::SubscriptOutOfRange:
        return "インデックスが有効範囲にありません";
    case ErrorKind::Overflow:
        return "オーバーフローしました";
    case ErrorKind::FileAccess:
        return "ファイルにアクセスできません";
    }
    return "不明なエラー";
}

} // namespace tamberlo
