// The existence test with wildcards, as the main menu asks it before creating a dictionary.
#include "dictionary/dictionaryexists.h"
#include "tempdir.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace tamberlo;

namespace {

struct ExistsRow {
    std::string name;
    std::string path;
    bool exists;
};

class Exists : public testing::TestWithParam<ExistsRow> {
protected:
    static void SetUpTestSuite()
    {
        dir = std::make_unique<TempDir>();
        for (const char *file : {"words.tmb", ".tmb", "a[1].tmb", "a1.tmb", "日本語.tmb", "backslash.tmb",
                                 "lit*/x.tmb", "literal/y.tmb", "dots/.tmb", "sub/inner.tmb"}) {
            const std::string path = dir->file(file);
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            dir->write(file, "a<>b\r\n");
        }
        std::filesystem::create_directories(dir->file("folder.tmb"));
        std::filesystem::create_directories(dir->file("onlydirs/x.tmb"));
    }
    static void TearDownTestSuite() { dir.reset(); }
    // One tree for all rows; it is also the working directory that relative rows resolve against.
    static inline std::unique_ptr<TempDir> dir;
};

TEST_P(Exists, Answers)
{
    EXPECT_EQ(dictionaryExists(GetParam().path), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(Rows, Exists, testing::Values(
    ExistsRow{"plain_file", "words.tmb", true},
    ExistsRow{"dot_slash", "./words.tmb", true},
    ExistsRow{"missing", "nothing.tmb", false},
    ExistsRow{"empty_path", "", false},
    ExistsRow{"case_matters", "WORDS.TMB", false},
    ExistsRow{"dotfile_from_empty_name", ".tmb", true},
    ExistsRow{"directory_does_not_count", "folder.tmb", false},
    ExistsRow{"trailing_slash", "sub/", false},
    ExistsRow{"in_subfolder", "sub/inner.tmb", true},
    ExistsRow{"star_extension", "*.tmb", true},
    ExistsRow{"star_alone", "*", true},
    ExistsRow{"star_matches_dotfile", "dots/*.tmb", true},
    ExistsRow{"star_skips_directories", "onlydirs/*", false},
    ExistsRow{"star_in_missing_folder", "nowhere/*.tmb", false},
    ExistsRow{"star_no_match", "*.txt", false},
    ExistsRow{"question_mark", "word?.tmb", true},
    ExistsRow{"question_mark_needs_a_char", "words?.tmb", false},
    ExistsRow{"question_mark_is_one_utf8_char", "日本?.tmb", true},
    ExistsRow{"brackets_literal", "a[1].tmb", true},
    ExistsRow{"bracket_range_is_literal", "a[0-9].tmb", false},
    ExistsRow{"brackets_literal_with_star", "a[1]*", true},
    ExistsRow{"bracket_class_with_star_is_literal", "a[0-9]*", false},
    ExistsRow{"backslash_is_literal", "back\\slash*", false},
    ExistsRow{"wildcard_in_folder_is_literal", "lit*/y.tmb", false},
    ExistsRow{"literal_star_folder", "lit*/x.tmb", true},
    ExistsRow{"wildcard_in_folder_and_name", "lit*/?.tmb", true}
), RowName);

TEST(ExistsAbsolute, AbsolutePathAndRootFolder)
{
    TempDir dir;
    dir.write("abs.tmb", "");
    EXPECT_TRUE(dictionaryExists(dir.file("abs.tmb")));
    EXPECT_TRUE(dictionaryExists(dir.file("a?s.*")));
    EXPECT_FALSE(dictionaryExists("/*.tmb-that-is-not-there"));
}

} // namespace
