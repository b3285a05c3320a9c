// What the english and chinese bundles hold: the same resource numbers, the same controls in
// every template, the exact English texts, the pictures and the version block.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QSet>
#include <QUrl>
#include <QtEndian>

#include <map>
#include <set>
#include <string>

#include "ModuleFixture.h"

using trntest::ModuleFixture;

namespace {

const QString kEnglish = QStringLiteral("english");
const QString kChinese = QStringLiteral("chinese");

const std::set<int> kDialogs = {133, 146, 147, 148, 149, 150, 151, 156};
const std::set<int> kStrings = {102, 103, 104, 105, 106, 107, 108, 110, 111, 164, 165};

// Resource numbers of one kind: the base names of the files in a folder of the bundle.
std::set<int> numbersIn(const QString& folder) {
    std::set<int> numbers;
    for (const QFileInfo& entry :
         QDir(QStringLiteral(":/module/") + folder).entryInfoList(QDir::Files)) {
        bool ok = false;
        const int id = entry.baseName().toInt(&ok);
        numbers.insert(ok ? id : -1);  // -1 stands for a file not named by a number
    }
    return numbers;
}

struct Inventory {
    std::set<int> dialogs, strings, bitmaps, icons;
};

Inventory inventoryOf(const QString& language) {
    ModuleFixture fixture(language);
    EXPECT_TRUE(fixture.loaded()) << qPrintable(fixture.error());
    Inventory inventory{numbersIn(QStringLiteral("dialog")),
                        {},
                        numbersIn(QStringLiteral("bitmap")),
                        numbersIn(QStringLiteral("icon"))};
    for (int id = 0; id <= 65535; ++id) {
        if (fixture.module().hasString(id))
            inventory.strings.insert(id);
    }
    return inventory;
}

std::string listed(const std::set<int>& numbers) {
    std::string text;
    for (int n : numbers) text += (text.empty() ? "" : " ") + std::to_string(n);
    return "{" + text + "}";
}

// Every addressed control of a template, as "kind" by number; also the template's own
// name and kind under number 0, and duplicated numbers under their negatives.
std::map<int, std::string> structureOf(const QString& language, int dialogId, QString* error) {
    ModuleFixture fixture(language);
    std::map<int, std::string> controls;
    if (!fixture.loaded()) {
        *error = fixture.error();
        return controls;
    }
    std::unique_ptr<QWidget> dialog(fixture.module().createDialog(dialogId, nullptr, error));
    if (!dialog)
        return controls;
    controls[0] = dialog->objectName().toStdString() + " " + dialog->metaObject()->className();
    static const QRegularExpression name(QStringLiteral("^id(\\d+)$"));
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        const QRegularExpressionMatch match = name.match(child->objectName());
        if (!match.hasMatch())
            continue;
        const int id = match.captured(1).toInt();
        const std::string kind = child->metaObject()->className();
        if (!controls.emplace(id, kind).second)
            controls[-id] = "duplicate";
    }
    return controls;
}

struct BmpHeader {
    QByteArray magic;
    qint32 width = 0;
    qint32 height = 0;
    quint16 bitsPerPixel = 0;
    quint32 compression = 0xFFFFFFFF;
};

BmpHeader readBmpHeader(const QString& path) {
    BmpHeader header;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return header;
    const QByteArray bytes = file.read(54);
    if (bytes.size() < 54)
        return header;
    const uchar* data = reinterpret_cast<const uchar*>(bytes.constData());
    header.magic = bytes.left(2);
    header.width = qFromLittleEndian<qint32>(data + 18);
    header.height = qFromLittleEndian<qint32>(data + 22);
    header.bitsPerPixel = qFromLittleEndian<quint16>(data + 28);
    header.compression = qFromLittleEndian<quint32>(data + 30);
    return header;
}

}  // namespace

TEST(LanguageBundlesTest, BothBundlesLoadWithTheirVersionAndLanguage) {
    const struct {
        QString language;
        int code;
    } cases[] = {{kEnglish, 1033}, {kChinese, 2052}};
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.language));
        ModuleFixture fixture(c.language);
        ASSERT_TRUE(fixture.loaded()) << qPrintable(fixture.error());
        EXPECT_EQ(fixture.module().language(), c.code);
        EXPECT_EQ(fixture.module().version(), QStringLiteral("4.1.0.0"));
    }
}

TEST(LanguageBundlesTest, BothBundlesHoldTheSameResourceNumbers) {
    const Inventory english = inventoryOf(kEnglish);
    const Inventory chinese = inventoryOf(kChinese);
    const struct {
        const char* kind;
        std::set<int> expected, english, chinese;
    } kinds[] = {
        {"dialog templates", kDialogs, english.dialogs, chinese.dialogs},
        {"strings", kStrings, english.strings, chinese.strings},
        {"bitmaps", {165, 166}, english.bitmaps, chinese.bitmaps},
        {"icons", {159}, english.icons, chinese.icons},
    };
    for (const auto& k : kinds) {
        EXPECT_EQ(listed(k.english), listed(k.expected)) << "english " << k.kind;
        EXPECT_EQ(listed(k.chinese), listed(k.expected)) << "chinese " << k.kind;
    }
}

class TemplateStructureTest : public ::testing::TestWithParam<int> {};

// The program addresses controls by number only, so each number must exist in both
// languages with the same kind of control.
TEST_P(TemplateStructureTest, SameControlsAndKindsInBothLanguages) {
    const int id = GetParam();
    QString englishError, chineseError;
    const auto english = structureOf(kEnglish, id, &englishError);
    const auto chinese = structureOf(kChinese, id, &chineseError);
    ASSERT_FALSE(english.empty()) << "english template " << id << ": " << qPrintable(englishError);
    ASSERT_FALSE(chinese.empty()) << "chinese template " << id << ": " << qPrintable(chineseError);

    std::set<int> numbers;
    for (const auto& [number, kind] : english) numbers.insert(number);
    for (const auto& [number, kind] : chinese) numbers.insert(number);
    for (int number : numbers) {
        const auto e = english.find(number);
        const auto c = chinese.find(number);
        const std::string what = number == 0 ? "the template itself"
                                 : number < 0
                                     ? "control id" + std::to_string(-number) + " (duplicates)"
                                     : "control id" + std::to_string(number);
        EXPECT_EQ(e == english.end() ? std::string("missing") : e->second,
                  c == chinese.end() ? std::string("missing") : c->second)
            << "template " << id << ", " << what << ": english vs chinese";
        EXPECT_TRUE(number >= 0) << "template " << id << " has " << what;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryTemplate, TemplateStructureTest,
                         ::testing::ValuesIn(std::vector<int>(kDialogs.begin(), kDialogs.end())));

TEST(LanguageBundlesTest, EnglishStringsAreExact) {
    const std::pair<int, const char*> texts[] = {
        {102, "Cancel without saving any change? "},
        {103,
         "Can't connect to the controller! Please check:\n\n1. Controller is powered through PWR. "
         "\n"
         "2. RS232 cable is plugged in properly. "},
        {104, "Data reading error!"},
        {105,
         "Can't write to the controller! Please check:\n\n1. Controller is powered through PWR. \n"
         "2. RS232 cable is plugged in properly. "},
        {106,
         "Configuration Completed!\n\nPlease cycle controller power to activate configuration!\n\n"
         "Close this program?"},
        {108,
         "\"Control Mode\" have upgraded into \"Torque Mode\". Please click \"Finish\" button to "
         "write "
         "configuration into controller, then try new feature."},
        {110,
         "Warning:Prohibit doing any configuration in user program while running motor.\n\n"
         "1.Click \"Yes\" to continue if the motor is not running.\n"
         "2.Click \"No\" if the motor is running. Please reconnect user program after stopping "
         "motor."},
        {111,
         "The configuration program is provided only for       TRN/TRE standard series controller! "
         "For other special versions,please connect OEM.  "},
        {164, "Set RS232 port error!"},
        {165, "Step %d -       TRN/TRE Series Controllers Configuration Program V4.1"},
    };
    ModuleFixture english(kEnglish);
    ASSERT_TRUE(english.loaded()) << qPrintable(english.error());
    for (const auto& [id, text] : texts) {
        EXPECT_EQ(english.module().string(id).toStdString(), std::string(text)) << "string " << id;
    }
}

TEST(LanguageBundlesTest, DownloadMessageNamesAWebAddressBetweenItsTwoParts) {
    const QString head = QStringLiteral(
        "The configurable program is provided only for Vexla TRN/TRE series controller.For other "
        "series "
        "controller,please go to ");
    const QString tail = QStringLiteral(" download corresponding version.");
    ModuleFixture english(kEnglish);
    ASSERT_TRUE(english.loaded()) << qPrintable(english.error());
    const QString text = english.module().string(107);
    ASSERT_TRUE(text.startsWith(head)) << qPrintable(text);
    ASSERT_TRUE(text.endsWith(tail)) << qPrintable(text);
    const QString address = text.mid(head.size(), text.size() - head.size() - tail.size());
    const QUrl url(address, QUrl::StrictMode);
    EXPECT_TRUE(url.isValid() &&
                (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
                !url.host().isEmpty())
        << qPrintable(address);
}

TEST(LanguageBundlesTest, StepTitleFormatsWithTheStepNumber) {
    const struct {
        QString language;
        const char* expectedStart;
    } cases[] = {{kEnglish, "Step 3 -       TRN/TRE"}, {kChinese, "第3步"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.language));
        ModuleFixture fixture(c.language);
        ASSERT_TRUE(fixture.loaded()) << qPrintable(fixture.error());
        const QString format = fixture.module().string(165);
        EXPECT_EQ(format.count(QStringLiteral("%d")), 1) << qPrintable(format);
        EXPECT_FALSE(format.contains(QRegularExpression(QStringLiteral("%[^d]"))));
        const QString title = QString::asprintf(format.toUtf8().constData(), 3);
        EXPECT_TRUE(title.startsWith(QString::fromUtf8(c.expectedStart))) << qPrintable(title);
    }
}

TEST(LanguageBundlesTest, ChineseStringsAreTranslationsKeepingTheNames) {
    std::map<int, QString> english;
    {
        ModuleFixture fixture(kEnglish);
        ASSERT_TRUE(fixture.loaded()) << qPrintable(fixture.error());
        for (int id : kStrings) english[id] = fixture.module().string(id);
    }
    ModuleFixture chinese(kChinese);
    ASSERT_TRUE(chinese.loaded()) << qPrintable(chinese.error());
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    for (int id : kStrings) {
        const QString text = chinese.module().string(id);
        EXPECT_TRUE(text.contains(han))
            << "string " << id << " is not translated: " << qPrintable(text);
        EXPECT_NE(text, english[id]) << "string " << id;
        EXPECT_FALSE(text.contains(QLatin1Char('\r'))) << "string " << id;
        // Line breaks carry the structure of the message (numbered checks), so they match.
        EXPECT_EQ(text.count(QLatin1Char('\n')), english[id].count(QLatin1Char('\n')))
            << "string " << id;
    }
    for (int id : {107, 111, 165}) {
        EXPECT_TRUE(chinese.module().string(id).contains(QStringLiteral("TRN/TRE")))
            << "string " << id;
    }
    EXPECT_TRUE(chinese.module().string(107).contains(QStringLiteral("Vexla")));
    EXPECT_TRUE(chinese.module().string(107).contains(QStringLiteral("http")));
}

TEST(LanguageBundlesTest, BitmapsAre24BitUncompressedOfTheRightSize) {
    const struct {
        QString language;
        int id, width, height;
    } cases[] = {
        {kEnglish, 165, 700, 70},
        {kEnglish, 166, 150, 360},
        {kChinese, 165, 700, 70},
        {kChinese, 166, 150, 281},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(QStringLiteral("%1 bitmap %2").arg(c.language).arg(c.id)));
        ModuleFixture fixture(c.language);
        ASSERT_TRUE(fixture.loaded()) << qPrintable(fixture.error());
        const BmpHeader header = readBmpHeader(QStringLiteral(":/module/bitmap/%1.bmp").arg(c.id));
        EXPECT_EQ(header.magic, QByteArray("BM"));
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(qAbs(header.height), c.height);
        EXPECT_EQ(header.bitsPerPixel, 24);
        EXPECT_EQ(header.compression, 0u);

        QString error;
        const QPixmap pixmap = fixture.module().bitmap(c.id, &error);
        EXPECT_EQ(pixmap.size(), QSize(c.width, c.height)) << qPrintable(error);
    }
}

TEST(LanguageBundlesTest, IconIs48By48WithoutTransparency) {
    for (const QString& language : {kEnglish, kChinese}) {
        SCOPED_TRACE(qPrintable(language));
        ModuleFixture fixture(language);
        ASSERT_TRUE(fixture.loaded()) << qPrintable(fixture.error());
        const QImage image(QStringLiteral(":/module/icon/159.png"));
        EXPECT_EQ(image.size(), QSize(48, 48));
        EXPECT_FALSE(image.hasAlphaChannel());
        QString error;
        const QIcon icon = fixture.module().icon(159, &error);
        ASSERT_FALSE(icon.isNull()) << qPrintable(error);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(48, 48)));
    }
}
