#include "tamberlo-dict/commands.h"

#include "dictionary/runtimeerror.h"
#include "dictionary/utf8.h"
#include "wordlists/dictionarycheck.h"
#include "wordlists/dictionaryexport.h"
#include "wordlists/source.h"

#include <cstdio>

namespace tamberlo::dict {

namespace {

using namespace wordlists;

std::string shown(const std::string &path) { return path.empty() ? "-" : utf8::sanitized(path); }

int failed(const std::string &file, const std::string &reason)
{
    std::fprintf(stderr, "tamberlo-dict: %s: %s\n", shown(file).c_str(), reason.c_str());
    return Failed;
}

// FILE:LINE: reason, as compilers write it, so that an editor can jump to the line; a long list is
// cut short as compilers cut theirs.
void list(const std::string &file, const ProblemList &problems)
{
    for (const Problem &problem : problems.listed())
        std::fprintf(stderr, "%s:%lld: %s\n", shown(file).c_str(), problem.location, problem.reason.c_str());
    if (const long long more = problems.count() - static_cast<long long>(problems.listed().size()); more > 0)
        std::fprintf(stderr, "…ほかに%lld件あります\n", more);
}

int summary(const std::string &text, int status)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    return status;
}

std::string count(long long n) { return std::to_string(n) + "件"; }

} // namespace

int importList(const std::string &sourcePath, const std::string &dictionary, const ImportOptions &options)
{
    Source source;
    if (const std::string reason = source.open(sourcePath); !reason.empty())
        return failed(sourcePath, reason);
    std::string refusal;
    const std::unique_ptr<Reader> reader = readerFor(source, options.read, refusal);
    if (!reader)
        return failed(sourcePath, refusal);
    const ImportResult result = wordlists::importList(source, *reader, dictionary, options);
    list(sourcePath, result.problems);
    const long long bad = result.problems.count();
    switch (result.status) {
    case ImportResult::Done:
        break;
    case ImportResult::BadRecords:
        return summary("問題のある行が" + std::to_string(bad) + "行あります。辞書には何も書き込んでいません"
                       "（直して実行し直すか、--skip-bad で残りを取り込めます）", ContentProblems);
    case ImportResult::SourceUnreadable:
        return failed(sourcePath, result.reason);
    case ImportResult::DictionaryUnusable:
        return failed(dictionary, result.reason);
    case ImportResult::DictionaryFull:
        return failed(dictionary, "辞書に入りきりません: 新しい項目のうち入るのは" + count(result.room) +
                                      "までです（上限32767件）。何も書き込んでいません");
    case ImportResult::NotWritten:
        return failed(dictionary, "書き込めませんでした: " + result.reason);
    }
    std::string text = count(result.added) + "追加しました";
    if (result.already > 0)
        text += "（" + count(result.already) + "はすでにありました）";
    if (bad > 0)
        text += "。問題のある" + std::to_string(bad) + "行は取り込んでいません";
    return summary(text, Done);
}

int checkDictionary(const std::string &dictionary)
{
    ProblemList problems;
    CheckResult result;
    try {
        result = wordlists::checkDictionary(dictionary, problems);
    } catch (const RuntimeError &e) {
        return failed(dictionary, e.detail());
    }
    list(dictionary, problems);
    const std::string warnings = result.warnings > 0 ? "（警告" + count(result.warnings) + "）" : "";
    if (result.lines == 0)
        return summary("辞書は空です（暗記は項目がひとつもないと始められません）", Done);
    if (result.errors == 0)
        return summary("問題はありません: 暗記は全" + std::to_string(result.lines) + "項目を表示できます" + warnings, Done);
    return summary("暗記で表示できない行があります: 問題" + count(result.errors) + warnings + "、全" +
                       std::to_string(result.lines) + "行", ContentProblems);
}

int exportDictionary(const std::string &dictionary, const std::string &output, bool csv, bool skipBad)
{
    const ExportResult result = wordlists::exportDictionary(dictionary, output, csv, skipBad);
    list(dictionary, result.problems);
    switch (result.status) {
    case ExportResult::Done:
        break;
    case ExportResult::TooManyLines:
        return summary("何も書き出していません", ContentProblems);
    case ExportResult::Blocked:
        return summary("書き出せない行が" + std::to_string(result.blocked) + "行あります。何も書き出していません"
                       "（--skip-bad で残りを書き出せます）", ContentProblems);
    case ExportResult::DictionaryUnusable:
        return failed(dictionary, result.reason);
    case ExportResult::OutputFailed:
        return failed(output, result.reason);
    }
    std::string text = count(result.written) + "書き出しました";
    if (result.blocked > 0)
        text += "（書き出せない" + std::to_string(result.blocked) + "行を除く）";
    return summary(text, Done);
}

} // namespace tamberlo::dict
