// The table of Japanese texts for the Windows error codes (GetLastError) a user meets, mostly those of files
// and folders. The numbers are Windows' own (winerror.h), written out so the table reads the same everywhere.
#include "system_error_texts.h"

namespace {

constexpr SystemErrorEntry kWindowsErrorTexts[] = {
    {1 /* ERROR_INVALID_FUNCTION */, u"この機能は使用できません"},
    {2 /* ERROR_FILE_NOT_FOUND */, u"ファイルが見つかりません"},
    {3 /* ERROR_PATH_NOT_FOUND */, u"パスが見つかりません"},
    {4 /* ERROR_TOO_MANY_OPEN_FILES */, u"開いているファイルが多すぎます"},
    {5 /* ERROR_ACCESS_DENIED */, u"アクセスが拒否されました（権限がありません）"},
    {6 /* ERROR_INVALID_HANDLE */, u"ハンドルが無効です"},
    {8 /* ERROR_NOT_ENOUGH_MEMORY */, u"メモリが不足しています"},
    {14 /* ERROR_OUTOFMEMORY */, u"メモリが不足しています"},
    {15 /* ERROR_INVALID_DRIVE */, u"ドライブが見つかりません"},
    {19 /* ERROR_WRITE_PROTECT */, u"メディアが書き込み禁止になっています"},
    {21 /* ERROR_NOT_READY */, u"デバイスの準備ができていません"},
    {23 /* ERROR_CRC */, u"データが壊れています（CRC エラー）"},
    {29 /* ERROR_WRITE_FAULT */, u"デバイスへの書き込みに失敗しました"},
    {30 /* ERROR_READ_FAULT */, u"デバイスからの読み取りに失敗しました"},
    {32 /* ERROR_SHARING_VIOLATION */, u"ほかのプログラムが使用中のため、ファイルにアクセスできません"},
    {33 /* ERROR_LOCK_VIOLATION */, u"ほかのプログラムがファイルの一部をロックしています"},
    {38 /* ERROR_HANDLE_EOF */, u"ファイルの終わりに達しました"},
    {39 /* ERROR_HANDLE_DISK_FULL */, u"ディスクの空き容量が足りません"},
    {50 /* ERROR_NOT_SUPPORTED */, u"この操作には対応していません"},
    {53 /* ERROR_BAD_NETPATH */, u"ネットワークパスが見つかりません"},
    {67 /* ERROR_BAD_NET_NAME */, u"ネットワーク名が見つかりません"},
    {80 /* ERROR_FILE_EXISTS */, u"同じ名前のファイルがすでにあります"},
    {82 /* ERROR_CANNOT_MAKE */, u"ファイルまたはフォルダを作成できません"},
    {87 /* ERROR_INVALID_PARAMETER */, u"引数が不正です"},
    {111 /* ERROR_BUFFER_OVERFLOW */, u"ファイル名が長すぎます"},
    {112 /* ERROR_DISK_FULL */, u"ディスクの空き容量が足りません"},
    {123 /* ERROR_INVALID_NAME */, u"ファイル名、フォルダ名またはボリュームラベルの書き方が正しくありません"},
    {145 /* ERROR_DIR_NOT_EMPTY */, u"フォルダが空ではありません"},
    {183 /* ERROR_ALREADY_EXISTS */, u"同じ名前のファイルがすでにあります"},
    {206 /* ERROR_FILENAME_EXCED_RANGE */, u"ファイル名または拡張子が長すぎます"},
    {225 /* ERROR_VIRUS_INFECTED */, u"ウイルスが検出されたため、開けません"},
    {267 /* ERROR_DIRECTORY */, u"フォルダ名が正しくありません"},
    {995 /* ERROR_OPERATION_ABORTED */, u"操作が中止されました"},
    {1005 /* ERROR_UNRECOGNIZED_VOLUME */, u"ボリュームのファイルシステムを認識できません"},
    {1117 /* ERROR_IO_DEVICE */, u"デバイスの入出力エラーが発生しました"},
    {1224 /* ERROR_USER_MAPPED_FILE */, u"ほかのプログラムがファイルを開いているため、書き換えられません"},
    {1314 /* ERROR_PRIVILEGE_NOT_HELD */, u"この操作に必要な特権がありません"},
    {1392 /* ERROR_FILE_CORRUPT */, u"ファイルまたはフォルダが壊れているため、読み取れません"},
    {1920 /* ERROR_CANT_ACCESS_FILE */, u"ファイルにアクセスできません"},
    {1921 /* ERROR_CANT_RESOLVE_FILENAME */,
     u"リンクが多すぎるか循環しているため、ファイル名を解決できません"},
};

} // namespace

std::span<const SystemErrorEntry> WindowsErrorTexts() {
    return kWindowsErrorTexts;
}
