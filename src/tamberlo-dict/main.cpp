// tamberlo-dict: imports a word list into a Tamberlo dictionary, checks a dictionary as the drill
// reads it, and exports one. No Qt: the dictionary core and the word lists, so it writes what 登録 writes.
#include "tamberlo-dict/commands.h"
#include "wordlists/delimitedtext.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tamberlo;

std::optional<Encoding> encodingNamed(std::string name)
{
    for (char &c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    if (name == "utf-8" || name == "utf8")
        return Encoding::Utf8;
    if (name == "utf-16le" || name == "utf16le")
        return Encoding::Utf16Le;
    if (name == "utf-16be" || name == "utf16be")
        return Encoding::Utf16Be;
    if (name == "cp932" || name == "shift_jis" || name == "sjis" || name == "windows-31j")
        return Encoding::Cp932;
    return std::nullopt;
}

constexpr const char *Help = R"(使い方:
  tamberlo-dict import [オプション] 元のファイル 辞書   単語リストを辞書に追加します（- で標準入力）
  tamberlo-dict check 辞書                              暗記で表示できない行を一覧にします
  tamberlo-dict export [--csv] 辞書 [出力ファイル]      UTF-8のタブ区切り（またはCSV）で書き出します

元のファイル: CSV・タブ区切りのテキスト、Ankiのパッケージ（.apkg、.colpkg）、KVTML（KWordQuiz、Parley）。
種類は名前でなく中身で判別します

import のオプション:
  --format=text|anki|kvtml                   ファイルの種類を指定します（既定: 中身で判別）
  --fields=W,M                               語（W）と意味（M）にするフィールドの番号です（既定: 1,2）
  --encoding=utf-8|utf-16le|utf-16be|cp932   文字コードを指定します（既定: 自動判別）
  --separator=tab|comma|'<>'                 区切りを指定します（既定: 最初の行で判別）
  --header                                   最初の行を列の見出しとして飛ばします
  --skip-bad                                 問題のある行を飛ばして残りを取り込みます
export のオプション:
  --csv        RFC 4180 の CSV で書き出します
  --skip-bad   書き出せない行を飛ばして残りを書き出します

終了コード: 0 完了、1 内容に問題（ファイル:行: 理由 を表示）、2 使い方やシステムのエラー
詳しくは man tamberlo-dict
)";

std::optional<wordlists::Format> formatNamed(const std::string &name)
{
    if (name == "text")
        return wordlists::Format::Text;
    if (name == "anki")
        return wordlists::Format::Anki;
    if (name == "kvtml")
        return wordlists::Format::Kvtml;
    return std::nullopt;
}

// "W,M": the word's and the meaning's fields, counted from 1.
bool fieldsNamed(std::string_view value, wordlists::ImportOptions &options)
{
    // Every field up to the later one is kept for each record: a number past any file's is a typo.
    constexpr std::size_t MaxField = 1000;
    std::size_t word = 0;
    std::size_t meaning = 0;
    const char *end = value.data() + value.size();
    const auto [comma, wordError] = std::from_chars(value.data(), end, word);
    if (wordError != std::errc() || comma == end || *comma != ',')
        return false;
    const auto [last, meaningError] = std::from_chars(comma + 1, end, meaning);
    if (meaningError != std::errc() || last != end || word == 0 || meaning == 0 || word == meaning ||
        word > MaxField || meaning > MaxField)
        return false;
    options.wordField = word - 1;
    options.meaningField = meaning - 1;
    options.read.keptFields = std::max(word, meaning);
    return true;
}

int usage(const std::string &message)
{
    std::fprintf(stderr, "tamberlo-dict: %s\n詳しくは tamberlo-dict --help\n", message.c_str());
    return dict::Failed;
}

// The value of "--name=value" or "--name value"; advances i past what it used.
bool optionValue(const std::vector<std::string> &args, std::size_t &i, std::string_view name, std::string &value)
{
    const std::string &arg = args[i];
    const std::string prefix = std::string(name) + "=";
    if (arg.starts_with(prefix)) {
        value = arg.substr(prefix.size());
        return true;
    }
    if (arg == name && i + 1 < args.size()) {
        value = args[++i];
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage("コマンド（import、check、export）がありません");
    const std::string command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(Help, stdout);
        return dict::Done;
    }
    if (command == "--version") {
        std::printf("tamberlo-dict %s\n", TAMBERLO_VERSION);
        return dict::Done;
    }

    wordlists::ImportOptions options;
    bool csv = false;
    std::vector<std::string> operands;
    bool optionsEnd = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        std::string value;
        if (optionsEnd || arg == "-" || !arg.starts_with("-")) {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(Help, stdout);
            return dict::Done;
        } else if (command == "import" && optionValue(args, i, "--encoding", value)) {
            options.read.encoding = encodingNamed(value);
            if (!options.read.encoding)
                return usage("知らない文字コードです: " + value + "（utf-8、utf-16le、utf-16be、cp932）");
        } else if (command == "import" && optionValue(args, i, "--separator", value)) {
            options.read.separator = wordlists::separatorNamed(value);
            if (!options.read.separator)
                return usage("知らない区切りです: " + value + "（tab、comma、<>）");
        } else if (command == "import" && optionValue(args, i, "--format", value)) {
            options.read.format = formatNamed(value);
            if (!options.read.format)
                return usage("知らない種類です: " + value + "（text、anki、kvtml）");
        } else if (command == "import" && optionValue(args, i, "--fields", value)) {
            if (!fieldsNamed(value, options))
                return usage("--fields には語と意味のフィールドの番号を 2,1 のように指定します: " + value);
        } else if (command == "import" && arg == "--header") {
            options.read.header = true;
        } else if ((command == "import" || command == "export") && arg == "--skip-bad") {
            options.skipBad = true;
        } else if (command == "export" && arg == "--csv") {
            csv = true;
        } else {
            return usage("知らないオプションです: " + arg);
        }
    }

    if (command == "import") {
        if (operands.size() != 2)
            return usage("import には元のファイルと辞書を指定します");
        return dict::importList(operands[0], operands[1], options);
    }
    if (command == "check") {
        if (operands.size() != 1)
            return usage("check には辞書をひとつ指定します");
        return dict::checkDictionary(operands[0]);
    }
    if (command == "export") {
        if (operands.empty() || operands.size() > 2)
            return usage("export には辞書と、必要なら出力ファイルを指定します");
        return dict::exportDictionary(operands[0], operands.size() == 2 ? operands[1] : "", csv, options.skipBad);
    }
    return usage("知らないコマンドです: " + command);
}
