// The table of Japanese texts for the errno values a user meets: files and folders first, then memory,
// processes and connections. Values this system does not define are left out.
#include "system_error_texts.h"

#include <algorithm>
#include <cerrno>

namespace {

constexpr SystemErrorEntry kErrnoTexts[] = {
    {ENOENT, u"ファイルまたはフォルダが見つかりません"},
    {EACCES, u"アクセスが拒否されました（権限がありません）"},
    {EPERM, u"この操作は許可されていません"},
    {EISDIR, u"フォルダです（ファイルではありません）"},
    {ENOTDIR, u"パスの途中にフォルダではないものがあります"},
    {ENOSPC, u"ディスクの空き容量が足りません"},
    {EROFS, u"読み取り専用のファイルシステムには書き込めません"},
    {EEXIST, u"同じ名前のファイルがすでにあります"},
    {ENAMETOOLONG, u"ファイル名が長すぎます"},
#ifdef ELOOP
    {ELOOP, u"シンボリックリンクが多すぎるか、循環しています"},
#endif
    {EMFILE, u"開いているファイルが多すぎます"},
    {ENFILE, u"システム全体で開いているファイルが多すぎます"},
    {EIO, u"入出力エラーが発生しました"},
    {EBUSY, u"デバイスまたはファイルが使用中です"},
#ifdef ETXTBSY
    {ETXTBSY, u"実行中のプログラムのファイルは書き換えられません"},
#endif
    {EFBIG, u"ファイルが大きすぎます"},
#ifdef EDQUOT
    {EDQUOT, u"ディスクの使用量の上限を超えました"},
#endif
    {ENOTEMPTY, u"フォルダが空ではありません"},
    {EXDEV, u"別のファイルシステムへは移動できません"},
    {ENXIO, u"デバイスが見つかりません"},
    {ENODEV, u"この種類のデバイスには対応していません"},
    {ESPIPE, u"この種類のファイルでは読み書きの位置を移せません"},
    {EMLINK, u"リンクが多すぎます"},
    {EPIPE, u"書き込み先が閉じられました"},
    {EBADF, u"ファイルの識別子が不正です"},
    {EINVAL, u"引数が不正です"},
    {ENOMEM, u"メモリが不足しています"},
    {EAGAIN, u"一時的に使用できません。しばらくしてからやり直してください"},
    {EINTR, u"割り込みにより中断されました"},
    {E2BIG, u"引数の並びが長すぎます"},
    {ENOEXEC, u"実行できない形式のファイルです"},
    {ENOSYS, u"この機能はシステムにありません"},
#ifdef ENOTSUP
    {ENOTSUP, u"この操作には対応していません"},
#endif
#ifdef ESTALE
    {ESTALE, u"ネットワーク上のファイルの参照が古くなりました"},
#endif
#ifdef EOVERFLOW
    {EOVERFLOW, u"値が大きすぎて扱えません"},
#endif
    {EILSEQ, u"文字の並びが不正です"},
#ifdef ETIMEDOUT
    {ETIMEDOUT, u"時間内に応答がありませんでした"},
#endif
#ifdef ECONNREFUSED
    {ECONNREFUSED, u"接続が拒否されました"},
#endif
};

} // namespace

std::span<const SystemErrorEntry> ErrnoTexts() {
    return kErrnoTexts;
}

std::u16string_view TableErrorText(std::span<const SystemErrorEntry> table, unsigned long number) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [number](const SystemErrorEntry& e) { return e.number == number; });
    return found != table.end() ? found->text : std::u16string_view();
}
