// A card field's HTML as the text the card shows: what is dropped, what parts words, what is decoded.
#include "wordlists/cardtext.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace tamberlo::wordlists;

namespace {

struct Row {
    const char *name;
    std::string html;
    std::string text;
};

class CardText : public testing::TestWithParam<Row> {};

TEST_P(CardText, IsWhatTheCardShows) { EXPECT_EQ(cardText(GetParam().html), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Markup, CardText, testing::Values(
    Row{"plain_text_kept", "ice cream", "ice cream"},
    Row{"inline_tags_join_the_word", "un<i>believ</i>able", "unbelievable"},
    Row{"line_break_parts_words", "アイス<br>クリーム<BR/>!", "アイス クリーム !"},
    Row{"block_elements_part_words", "<div>dog</div><div>cat</div><ul><li>a</li><li>b</li></ul>", "dog cat a b"},
    Row{"quoted_gt_inside_a_tag", "<img alt=\"a>b\" src='x.png'>dog", "dog"},
    Row{"comment_script_and_style_dropped", "a<!-- <b> -->b<script>x<y</script>c<STYLE>p{}</style>", "abc"},
    Row{"lone_lt_is_text", "a < b", "a < b"},
    Row{"tag_never_closed_dropped", "dog<span class=", "dog"}
), RowName);

INSTANTIATE_TEST_SUITE_P(Entities, CardText, testing::Values(
    Row{"escapes_decoded_not_parsed_again", "&lt;b&gt; &amp; &quot;q&quot; &apos;", "<b> & \"q\" '"},
    Row{"nbsp_a_plain_space", "a&nbsp;&nbsp;b\xC2\xA0" "c&#160;", "a b c"},
    Row{"numeric_decimal_and_hex", "&#29356;&#x732B;", "犬猫"},
    Row{"unknown_or_invalid_kept_as_text", "&copy; &#0; &#xD800; &amp", "&copy; &#0; &#xD800; &amp"}
), RowName);

INSTANTIATE_TEST_SUITE_P(CardSyntax, CardText, testing::Values(
    Row{"sound_dropped", "猫[sound:neko.mp3]", "猫"},
    Row{"sound_never_closed_is_text", "[sound:x", "[sound:x"},
    Row{"cloze_gives_its_answer", "{{c1::answer::hint}}", "answer"},
    Row{"clozes_without_hint_and_numbered", "{{c12::dog}} and {{c1::cat::animal}}", "dog and cat"},
    Row{"nested_cloze", "{{c1::a {{c2::b::x}} c}}", "a b c"},
    Row{"hint_markup_leaves_no_space", "a{{c1::b::h<br>i}}c", "abc"},
    Row{"double_colon_outside_a_cloze_is_text", "std::string", "std::string"}
), RowName);

INSTANTIATE_TEST_SUITE_P(WhiteSpace, CardText, testing::Values(
    Row{"collapsed_and_trimmed", " <br> a \n\t b &nbsp;", "a b"},
    Row{"only_markup_is_empty", "<div><br></div>&nbsp;", ""},
    Row{"bytes_not_utf8_pass_for_the_check", "a\xFF", "a\xFF"}
), RowName);

} // namespace
