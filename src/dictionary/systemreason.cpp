#include "dictionary/systemreason.h"

#include <cerrno>
#include <cstring>

namespace tamberlo {

namespace {

// strerror_r comes in a GNU and an XSI flavour; take whichever this libc has.
[[maybe_unused]] std::string textFrom(int rc, const char *buffer)
{
    return rc == 0 ? std::string(buffer) : "errno " + std::to_string(rc);
}
[[maybe_unused]] std::string textFrom(const char *text, const char *) { return text; }

std::string systemText(int err)
{
    char buffer[256] = {};
    return textFrom(strerror_r(err, buffer, sizeof buffer), buffer);
}

const char *japanese(int err)
{
    switch (err) {
    case ENOSPC:
        return "ディスクがいっぱいです";
    case EROFS:
        return "読み取り専用のファイルシステムです";
    case EACCES:
    case EPERM:
        return "アクセスが許可されていません";
    case ENOENT:
        return "ファイルまたはフォルダーが見つかりません";
    case EISDIR:
        return "ファイルではなくフォルダーです";
    case ENAMETOOLONG:
        return "名前が長すぎます";
    case EEXIST:
        return "同じ名前のものがすでにあります";
    case EIO:
        return "ディスクの読み書きでエラーが起きました";
    case ELOOP:
        return "シンボリックリンクが循環しています";
    case ENOTDIR:
        return "パスの途中にフォルダーではなくファイルがあります";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case EFBIG:
        return "ファイルが大きすぎます";
    case EDQUOT:
        return "ディスクの使用量の上限を超えました";
    case ETXTBSY:
        return "実行中のプログラムが使っているファイルです";
    case EAGAIN:
        return "いまは使えません。少し待ってからやり直してください";
    default:
        return nullptr;
    }
}

} // namespace

std::string lockHeldReason()
{
    return "ほかのプログラムが辞書を使っています（" + systemText(EWOULDBLOCK) + "）";
}

std::string systemReason(int err)
{
    const char *text = japanese(err);
    return text ? std::string(text) + "（" + systemText(err) + "）" : systemText(err);
}

} // namespace tamberlo
