// Card programs' files imported into a new dictionary: each layout of an Anki package, KVTML of
// both versions, a card program's HTML text export, the fields chosen; and what hostile files get.
#include "dictionary/cp932.h"
#include "tempdir.h"
#include "wordlists/import.h"
#include "wordlists/source.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace tamberlo;
using namespace tamberlo::wordlists;

namespace {

// make_packages.sh's packages: made once by CTest's fixture, or once by this process run alone.
std::string package(const std::string &name)
{
    static const std::string folder = [] {
        if (const char *made = std::getenv("TAMBERLO_TEST_PACKAGES"))
            return std::string(made);
        static const TempFolder scratch("tamberlo-packages");
        EXPECT_EQ(std::system(("bash " TAMBERLO_PACKAGES_SCRIPT " " + scratch.path().string()).c_str()), 0);
        return scratch.path().string();
    }();
    return folder + "/" + name;
}

// The dictionary's entries as "word|meaning", else each problem as "LOCATION reason", else
// "refused: reason".
std::vector<std::string> imported(const std::string &path, const ImportOptions &options)
{
    TempFolder dir("tamberlo-cards");
    Source source;
    EXPECT_EQ(source.open(path), "");
    std::string refusal;
    const auto reader = readerFor(source, options.read, refusal);
    const ImportResult result = reader ? importList(source, *reader, dir.file("d.tmb"), options) : ImportResult{};
    if (!reader || result.status == ImportResult::SourceUnreadable)
        return {"refused: " + (reader ? result.reason : refusal)};
    std::vector<std::string> out;
    for (const Problem &problem : result.problems.listed())
        out.push_back(std::to_string(problem.location) + " " + problem.reason);
    const std::string text = decodeCp932(fileBytes(dir.file("d.tmb")));
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        out.push_back(text.substr(at, end - at).replace(text.find("<>", at) - at, 2, "|"));
    return out;
}

ImportOptions fields(std::size_t word, std::size_t meaning, std::optional<Format> format = std::nullopt)
{
    ImportOptions options;
    options.wordField = word - 1;
    options.meaningField = meaning - 1;
    options.read.keptFields = std::max(word, meaning);
    options.read.format = format;
    options.skipBad = true;
    return options;
}

struct Row {
    const char *name;
    std::string source; // a package's name, or a list's bytes
    std::vector<std::string> outcome; // a refusal only as far as it is given: the libraries' words may change
    ImportOptions options = fields(1, 2);
};

void expectOutcome(const std::vector<std::string> &outcome, const Row &row)
{
    if (row.outcome.size() == 1 && row.outcome[0].starts_with("refused: ") && outcome.size() == 1)
        EXPECT_TRUE(outcome[0].starts_with(row.outcome[0])) << outcome[0];
    else
        EXPECT_EQ(outcome, row.outcome);
}

class Packages : public testing::TestWithParam<Row> {};

TEST_P(Packages, GiveTheNewestCollectionsNotes) { expectOutcome(imported(package(GetParam().source), GetParam().options), GetParam()); }

const std::vector<std::string> Three = {"dog|犬", "ice cream|アイス クリーム", "cat|猫"};

INSTANTIATE_TEST_SUITE_P(Layouts, Packages, testing::Values(
    Row{"old_collection_anki2_alone", "old.apkg", Three},
    Row{"current_anki21b_not_the_upgrade_note", "current.apkg", Three},
    Row{"anki21_not_the_upgrade_note", "anki21.apkg", Three},
    Row{"a_collection_itself", "collection.anki2", Three},
    Row{"fields_chosen", "current.apkg", {"犬|dog", "アイス クリーム|ice cream", "猫|cat"}, fields(2, 1)},
    Row{"a_field_no_note_has", "old.apkg", {"1 3番目のフィールドがありません", "2 3番目のフィールドがありません", "3 3番目のフィールドがありません"}, fields(1, 3)}
), RowName);

INSTANTIATE_TEST_SUITE_P(Hostile, Packages, testing::Values(
    Row{"zip_bomb", "bomb.apkg", {"refused: ZIPの中身が大きすぎます（collection.anki2は展開すると4194304バイト、圧縮の"}},
    Row{"truncated_database", "truncated.apkg", {"refused: Ankiのコレクションが壊れています（"}},
    Row{"zstd_cut_short", "cut-zstd.apkg", {"refused: collection.anki21bを展開できません（圧縮データが途中で切れています）"}},
    Row{"notes_of_another_shape", "wrong-shape.apkg", {"refused: Ankiのノートの表の形が違います（no such column: flds）"}},
    Row{"no_collection", "no-collection.apkg", {"refused: Ankiのパッケージにコレクションがありません"}}
), RowName);

class Lists : public testing::TestWithParam<Row> {};

TEST_P(Lists, GiveTheirEntries)
{
    TempFolder dir("tamberlo-list");
    expectOutcome(imported(dir.write("list", GetParam().source), GetParam().options), GetParam());
}

// Written from the KVTML 2 DTD: KWordQuiz's two columns, one empty row of its grid.
const std::string Kvtml2 = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">
<kvtml version="2.0">
  <information><generator>kwordquiz</generator><title>Animals</title></information>
  <identifiers><identifier id="0"><name>en</name></identifier><identifier id="1"><name>ja</name></identifier></identifiers>
  <entries>
    <entry id="0"><translation id="0"><text>dog</text></translation><translation id="1"><text>犬</text></translation></entry>
    <entry id="1"><translation id="0"><text/></translation><translation id="1"><text/></translation></entry>
    <entry id="2">
      <translation id="1"><text>猫</text><comment>neko</comment></translation>
      <translation id="0"><text>cat &amp; kitten</text></translation>
    </entry>
    <entry id="3"><translation id="0"><text>bird</text></translation></entry>
  </entries>
</kvtml>
)";

INSTANTIATE_TEST_SUITE_P(Kvtml, Lists, testing::Values(
    Row{"version_2_translations_by_id", Kvtml2, {"13 意味が空です", "dog|犬", "cat & kitten|猫"}},
    Row{"version_2_fields_chosen", Kvtml2, {"13 語が空です", "犬|dog", "猫|cat & kitten"}, fields(2, 1)},
    Row{"version_2_a_column_not_declared", Kvtml2, {"7 3番目のフィールドがありません", "9 3番目のフィールドがありません", "13 3番目のフィールドがありません"}, fields(1, 3)},
    Row{"version_1_with_an_empty_row", "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml SYSTEM \"kvoctrain.dtd\">\n"
        "<kvtml encoding=\"UTF-8\" cols=\"2\">\n <e><o width=\"250\">dog</o><t>犬</t></e>\n <e><o></o><t></t></e>\n"
        " <e>\n  <o>cat</o>\n  <t>猫</t>\n </e>\n</kvtml>\n", {"dog|犬", "cat|猫"}},
    Row{"malformed_named_where", "<?xml version=\"1.0\"?>\n<kvtml>\n<e><o>dog</t></e>\n</kvtml>\n",
        {"refused: XMLとして読めません（3行12列目: mismatched tag）"}},
    Row{"entity_bomb", "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml [\n<!ENTITY a \"aaaaaaaaaa\">\n<!ENTITY b \"&a;&a;&a;&a;&a;&a;\">\n]>\n"
        "<kvtml><e><o>&b;</o><t>x</t></e></kvtml>\n", {"refused: XMLの<!ENTITY>宣言には対応していません（3行"}},
    Row{"other_xml", "<?xml version=\"1.0\"?><html><body/></html>", {"refused: XMLですがKVTMLではありません（最初の要素が<html>です）"}}
), RowName);

// Expat holds a token whole: one past 16 MiB is refused before it takes memory without end.
// Not a row, so that only this test's process builds the 17 MiB.
TEST(KvtmlToken, PastSixteenMiBIsRefused)
{
    TempFolder dir("tamberlo-list");
    expectOutcome(imported(dir.write("list", "<kvtml><!--" + std::string(17 << 20, 'a') + "-->"), fields(1, 2)),
                  Row{"a_giant_comment", "", {"refused: XMLの要素が大きすぎます（16 MiBまで）（1行8列目）"}});
}

INSTANTIATE_TEST_SUITE_P(Text, Lists, testing::Values(
    Row{"html_export_cleaned", "#separator:tab\n#html:true\n<b>dog</b>\t犬&nbsp;<br>\n{{c1::cat}}\t<div>猫</div>\n", {"dog|犬", "cat|猫"}},
    Row{"html_cleaned_before_the_length_check", "#html:true\n<span style=\"" + std::string(1000, 'x') + "\">dog</span>\t犬\n", {"dog|犬"}},
    Row{"html_past_its_room_too_long", "#separator:tab\n#html:true\n" + std::string(70000, ' ') + "dog\t犬\n", {"3 語が長すぎます（70003文字。256文字まで）"}},
    Row{"columns_chosen", "a,b,c\n", {"c|a"}, fields(3, 1)},
    Row{"format_forced", "dog,犬\n", {"refused: Ankiのパッケージではありません（ZIPでもSQLiteのデータベースでもありません）"}, fields(1, 2, Format::Anki)}
), RowName);

} // namespace
