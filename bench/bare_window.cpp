// The main menu's controls in the stand-in faces, placed by hand and never fitted: the start-up
// that Qt alone costs, for startup_bench.sh to hold the program against.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QFont face(const QString &family, qreal points, bool italic = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(true);
    font.setItalic(italic);
    return font;
}

template <typename Control>
void place(QWidget *window, const QString &text, const QRect &at, const QFont *font)
{
    auto *control = new Control(text, window);
    control->setGeometry(at);
    if (font)
        control->setFont(*font);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tamberlo"));
    window.setFixedSize(529, 196);
    const QString gothic = QStringLiteral("IPAPGothic"), serif = QStringLiteral("Liberation Serif");
    const QFont title = face(serif, 36, true), button = face(gothic, 12), small = face(gothic, 9),
                create = face(gothic, 9.75), version = face(serif, 12);
    place<QLabel>(&window, QStringLiteral("Tamberlo"), {24, 16, 481, 49}, &title);
    place<QPushButton>(&window, QStringLiteral("暗記開始"), {16, 80, 105, 25}, &button);
    place<QPushButton>(&window, QStringLiteral("単語追加"), {152, 80, 105, 25}, &button);
    place<QPushButton>(&window, QStringLiteral("終了"), {288, 80, 97, 25}, &button);
    place<QLabel>(&window, QStringLiteral("Tamberlo Project"), {424, 176, 105, 17}, &small);
    place<QPushButton>(&window, QStringLiteral("辞書選択"), {16, 120, 105, 25}, &button);
    place<QLabel>(&window, QStringLiteral("辞書選択を押して辞書ファイルを選択してください"), {152, 128, 361, 17},
                  nullptr);
    place<QPushButton>(&window, QStringLiteral("新規辞書作成"), {16, 160, 105, 25}, &create);
    place<QLineEdit>(&window, QStringLiteral("新規辞書名を入力してください"), {152, 160, 249, 25},
                     nullptr);
    place<QLabel>(&window, QStringLiteral("Ver 2.0"), {456, 80, 49, 17}, &version);
    window.show();
    return QApplication::exec();
}
