#include "ConfigFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringDecoder>

#include "AtomicFile.h"
#include "Fields.h"
#include "FileNames.h"
#include "SystemError.h"
#include "Texts.h"

namespace config {

namespace {

constexpr int ImageRows = CalibrationImage::Size / 16;
constexpr qint64 LargestFile = 1 << 20;
constexpr int CommentColumn = 40;

// A text of this file in the language given.
QString inLanguage(Language language, const char* source) {
    return translated(language, "ConfigFile", source);
}

// Indexed by Message::Kind.
constexpr const char* MessageTexts[] = {
    QT_TRANSLATE_NOOP("Messages", "Cannot read %1: %2"),
    QT_TRANSLATE_NOOP("Messages", "%1 is too large to be a configuration file"),
    QT_TRANSLATE_NOOP("Messages", "The file is empty"),
    QT_TRANSLATE_NOOP("Messages", "The file is not UTF-8 text"),
    QT_TRANSLATE_NOOP("Messages", "cannot read \"%1\"; expected name = value"),
    QT_TRANSLATE_NOOP("Messages", "unknown setting \"%1\""),
    QT_TRANSLATE_NOOP("Messages", "\"%1\" is given again (first on line %2)"),
    QT_TRANSLATE_NOOP("Messages", "\"%2\" is not a value of %1 (expected %3)"),
    QT_TRANSLATE_NOOP("Messages", "\"%1\" is not a date"),
    QT_TRANSLATE_NOOP("Messages", "The header lacks \"%1\""),
    QT_TRANSLATE_NOOP("Messages", "the header's %1 %2 differs from the image block's %3"),
    QT_TRANSLATE_NOOP("Messages",
                      "%1 is not a setting of this controller (firmware %2, variant %3)"),
    QT_TRANSLATE_NOOP(
        "Messages",
        "the file ends before its image block is complete (%1 of 128 bytes); it may be truncated"),
    QT_TRANSLATE_NOOP("Messages", "expected image row %1 with 16 hexadecimal bytes"),
    QT_TRANSLATE_NOOP("Messages", "text after the image block"),
    QT_TRANSLATE_NOOP(
        "Messages", "%1 = %2 is outside what the page offers (%3); the page adjusts it when shown"),
    QT_TRANSLATE_NOOP("Messages", "The file is for model %1; this controller is a %2"),
    QT_TRANSLATE_NOOP("Messages", "The file is for variant %1; this controller is variant %2"),
    QT_TRANSLATE_NOOP("Messages", "The file is for firmware %1; this controller has firmware %2"),
    QT_TRANSLATE_NOOP("Messages", "Cannot write %1: %2"),
    QT_TRANSLATE_NOOP("Messages",
                      "%1 = %2 is outside what the page offers (%3); %4 will be written"),
    QT_TRANSLATE_NOOP("Messages", "%1 = %2 is not offered on this controller; it keeps %3"),
    QT_TRANSLATE_NOOP("Messages", "%1 = %2 is refused by the page; the controller keeps %3"),
    QT_TRANSLATE_NOOP("Messages", "%1 = %2 is decided by another setting; %3 will be written"),
    QT_TRANSLATE_NOOP("Messages", "The shared journal on %1: %2"),
    QT_TRANSLATE_NOOP("Messages",
                      "not a default configuration file: it holds %1 bytes instead of %2."),
};
static_assert(std::size(MessageTexts) ==
              static_cast<std::size_t>(Message::Kind::NotDefaultFile) + 1);

const char* const HeaderKeys[] = {"model", "variant", "firmware", "serial", "date", "program"};
constexpr int RequiredHeaderKeys = 4;  // model to serial

// The header's identity values, as written and as compared, by key.
QString headerValue(const CalibrationImage& image, int key) {
    switch (key) {
        case 0:
            return escapedBytes(image, Field::Model, Field::ModelLength);
        case 1:
            return escapedBytes(image, Field::Variant, 1);
        case 2:
            return versionText(image);
        case 3:
            return serialText(image);
        default:
            return {};
    }
}

bool isKey(QStringView key) {
    if (key.isEmpty())
        return false;
    for (QChar c : key)
        if (!((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_')))
            return false;
    return true;
}

int hexDigit(QChar c) {
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    return -1;
}

// Exactly two hexadecimal digits: no sign, no blank, no prefix.
std::optional<std::uint8_t> hexByte(QStringView token) {
    if (token.size() != 2)
        return std::nullopt;
    const int high = hexDigit(token[0]);
    const int low = hexDigit(token[1]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(high * 16 + low);
}

}  // namespace

QString readFailureReason(int code) {
    return code < 0 ? QCoreApplication::translate("Wizard", "not a regular file")
                    : systemErrorText(code);
}

int readRegularFile(const QString& path, qint64 limit, QByteArray* bytes) {
    const QByteArray name = fileNameToSystem(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int code = 0;
    // Swapped for something else since the check: refused all the same.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        code = -1;
    bytes->clear();
    while (code == 0 && bytes->size() <= limit) {
        char buffer[65536];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            code = errno;
        if (n <= 0)
            break;
        bytes->append(buffer, n);
    }
    ::close(fd);
    return code;
}

namespace {

QString commentOf(const Setting& s, const CalibrationImage& image, Language language) {
    QString comment = s.caption(language);
    switch (s.coding) {
        case Coding::Switch:
            return comment + inLanguage(language, QT_TRANSLATE_NOOP("ConfigFile", ": on or off"));
        case Coding::List:
            comment += inLanguage(language, QT_TRANSLATE_NOOP("ConfigFile", ": ")) +
                       choicesText(s, image, language);
            if (itemName(s, image, s.raw(image), language).isEmpty())
                comment += inLanguage(
                    language,
                    QT_TRANSLATE_NOOP("ConfigFile", " (the code held is not in the list)"));
            return comment;
        case Coding::Number:
            break;
    }
    return comment + inLanguage(language, QT_TRANSLATE_NOOP("ConfigFile", ", ")) +
           offeredText(s, image, language);
}

}  // namespace

QString Message::text(Language language) const {
    QString body = translated(language, "Messages", MessageTexts[static_cast<std::size_t>(kind)]);
    // Values are shown as they are, but never as line breaks or characters that hide text.
    QStringList a;
    for (const QString& arg : args) a << visibleText(arg);
    // The form a value takes is told in the message's own language.
    if (kind == Kind::BadValue && a.size() == 2)
        if (const Setting* s = findSetting(a[0]))
            a << valueForm(*s, language);
    // One pass, so that a '%' in a value is never taken for a placeholder.
    switch (a.size()) {
        case 1:
            body = body.arg(a[0]);
            break;
        case 2:
            body = body.arg(a[0], a[1]);
            break;
        case 3:
            body = body.arg(a[0], a[1], a[2]);
            break;
        case 4:
            body = body.arg(a[0], a[1], a[2], a[3]);
            break;
        default:
            break;
    }
    if (line <= 0)
        return body;
    return inLanguage(language, QT_TRANSLATE_NOOP("ConfigFile", "Line %1: ")).arg(line) + body;
}

QString ConfigFile::write(const CalibrationImage& image, const FileInfo& info, Language language) {
    return write(image, image, info, language);
}

QString ConfigFile::write(const CalibrationImage& image, const CalibrationImage& reference,
                          const FileInfo& info, Language language) {
    QString out;
    out += QStringLiteral("# trnsetup configuration\n");
    out += inLanguage(language,
                      QT_TRANSLATE_NOOP("ConfigFile",
                                        "# Edit the values of the settings below; '#' starts a "
                                        "comment. The image block at the\n# end records this "
                                        "controller and is never applied to another unit.\n"));
    for (int key = 0; key < RequiredHeaderKeys; ++key)
        out += QLatin1String(HeaderKeys[key]) + QLatin1String(" = ") + headerValue(reference, key) +
               QLatin1Char('\n');
    if (info.date.isValid())
        out += QStringLiteral("date = ") +
               info.date.toOffsetFromUtc(info.date.offsetFromUtc()).toString(Qt::ISODate) +
               QLatin1Char('\n');
    if (!info.program.isEmpty()) {
        QString program = info.program;
        program.replace(QLatin1Char('#'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        out += QStringLiteral("program = ") + program.simplified() + QLatin1Char('\n');
    }
    out += QLatin1Char('\n');

    for (const Setting* s : settingsOf(image)) {
        const QString line =
            QLatin1String(s->key) + QLatin1String(" = ") + fileText(*s, image, s->raw(image));
        out += line.leftJustified(CommentColumn) + QLatin1String("  # ") +
               commentOf(*s, image, language) + QLatin1Char('\n');
    }

    out += QLatin1Char('\n');
    out += inLanguage(
        language, QT_TRANSLATE_NOOP("ConfigFile",
                                    "# The whole controller, 128 bytes, for reference only.\n"));
    out += QStringLiteral("[image]\n");
    for (int row = 0; row < ImageRows; ++row) {
        const auto offset = static_cast<std::uint8_t>(row * 16);
        out += FormatHex(&offset, 1);
        for (int i = 0; i < 16; ++i)
            out += QLatin1Char(' ') + FormatHex(reference.data() + row * 16 + i, 1);
        out += QLatin1Char('\n');
    }
    return out;
}

// Reads a file's lines in one pass, then checks what depends on the image block.
class Parser {
public:
    ReadResult run(const QString& text) {
        QStringList lines = text.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        bool any = false;
        for (QString& line : lines) {
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            any = any || !line.trimmed().isEmpty();
        }
        if (!any)
            return fail({Message::Kind::Empty, 0, {}});

        for (int i = 0; i < lines.size(); ++i)
            if (auto error = readLine(lines[i], i + 1, i + 1 == lines.size()))
                return fail(*error);
        if (rows_ < ImageRows)
            return fail({Message::Kind::Truncated,
                         static_cast<int>(lines.size()),
                         {QString::number(rows_ * 16)}});
        if (auto error = checkHeader())
            return fail(*error);
        // List items are named by the firmware's list, known once the image block is read.
        for (const auto& [index, text] : named_) {
            ConfigFile::Value& v = file_.values_[index];
            const auto code = itemCode(*v.setting, file_.image_, text);
            if (!code)
                return fail(
                    {Message::Kind::BadValue, v.line, {QLatin1String(v.setting->key), text}});
            v.raw = *code;
        }
        for (const ConfigFile::Value& v : file_.values_) {
            const Setting& s = *v.setting;
            if (!s.appliesTo(file_.image_))
                return fail({Message::Kind::NotOnController,
                             v.line,
                             {QLatin1String(s.key), versionText(file_.image_),
                              headerValue(file_.image_, 1)}});
            if (!offered(s, file_.image_, v.raw))
                result_.warnings.push_back(
                    {Message::Kind::OutOfRange,
                     v.line,
                     {QLatin1String(s.key), valueText(s, v.raw), offeredText(s, file_.image_)}});
        }
        result_.file = std::move(file_);
        return std::move(result_);
    }

private:
    ReadResult fail(Message error) {
        ReadResult result;
        result.error = std::move(error);
        return result;
    }

    std::optional<Message> readLine(const QString& raw, int number, bool last) {
        const qsizetype hash = raw.indexOf(QLatin1Char('#'));
        const QString content = (hash < 0 ? raw : raw.left(hash)).trimmed();
        if (content.isEmpty())
            return std::nullopt;
        if (inImage_)
            return readImageRow(content, number, last);
        if (content == QLatin1String("[image]")) {
            inImage_ = true;
            return std::nullopt;
        }

        const qsizetype eq = content.indexOf(QLatin1Char('='));
        const QString key = eq < 0 ? QString() : content.left(eq).trimmed();
        const QString value = eq < 0 ? QString() : content.mid(eq + 1).trimmed();
        if (!isKey(key))
            return Message{Message::Kind::Unparsable, number, {raw.trimmed()}};
        if (const auto seen = seen_.find(key); seen != seen_.end())
            return Message{
                Message::Kind::RepeatedKey, number, {key, QString::number(seen->second)}};
        seen_.emplace(key, number);

        for (const char* header : HeaderKeys) {
            if (key == QLatin1String(header)) {
                header_[key] = {value, number};
                if (key == QLatin1String("date") &&
                    !QDateTime::fromString(value, Qt::ISODate).isValid())
                    return Message{Message::Kind::BadDate, number, {value}};
                if (key == QLatin1String("date"))
                    file_.date_ = value;
                if (key == QLatin1String("program"))
                    file_.program_ = value;
                return std::nullopt;
            }
        }
        const Setting* setting = findSetting(key);
        if (!setting)
            setting = findOldSetting(key);
        if (!setting)
            return Message{Message::Kind::UnknownKey, number, {key}};
        const auto parsed = parseValue(*setting, value);
        if (!parsed && setting->coding == Coding::List && !value.isEmpty()) {
            named_.emplace_back(file_.values_.size(), value);
            file_.values_.push_back({setting, 0, number});
            return std::nullopt;
        }
        if (!parsed)
            return Message{Message::Kind::BadValue, number, {key, value}};
        // A number where the control mode is named is what older files held: byte 30 alone.
        if (setting->place == Place::ControlMode)
            setting = findOldSetting(key);
        file_.values_.push_back({setting, *parsed, number});
        return std::nullopt;
    }

    std::optional<Message> readImageRow(const QString& content, int number, bool last) {
        if (rows_ == ImageRows)
            return Message{Message::Kind::TextAfterImage, number, {}};
        const auto offset = static_cast<std::uint8_t>(rows_ * 16);
        const Message bad{Message::Kind::BadImageRow, number, {FormatHex(&offset, 1)}};
        // Tabs between bytes count as blanks; a byte is still exactly two digits.
        static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
        const QStringList tokens = content.split(blanks, Qt::SkipEmptyParts);
        if (tokens.size() > 17 || hexByte(tokens[0]) != offset)
            return bad;
        int bytes = static_cast<int>(tokens.size()) - 1;
        // A file cut off in the middle of a byte ends with a single digit.
        if (last && bytes > 0 && tokens.last().size() == 1 &&
            hexByte(tokens.last() + QLatin1Char('0')))
            --bytes;
        for (int i = 0; i < bytes; ++i) {
            const auto byte = hexByte(tokens[i + 1]);
            if (!byte)
                return bad;
            file_.image_.setByte(rows_ * 16 + i, *byte);
        }
        // A short last row is where the file was cut off.
        if (bytes < 16)
            return last ? Message{Message::Kind::Truncated,
                                  number,
                                  {QString::number(rows_ * 16 + bytes)}}
                        : bad;
        ++rows_;
        return std::nullopt;
    }

    std::optional<Message> checkHeader() const {
        for (int key = 0; key < RequiredHeaderKeys; ++key) {
            const QString name = QLatin1String(HeaderKeys[key]);
            const auto it = header_.find(name);
            if (it == header_.end())
                return Message{Message::Kind::MissingHeader, 0, {name}};
            const QString actual = headerValue(file_.image_, key);
            // Hexadecimal digits may be typed in either case; the model and variant may not.
            const Qt::CaseSensitivity cs = key >= 2 ? Qt::CaseInsensitive : Qt::CaseSensitive;
            if (it->second.first.compare(actual, cs) != 0)
                return Message{Message::Kind::HeaderMismatch,
                               it->second.second,
                               {name, it->second.first, actual}};
        }
        return std::nullopt;
    }

    ConfigFile file_;
    ReadResult result_;
    std::map<QString, int> seen_;
    std::map<QString, std::pair<QString, int>> header_;
    std::vector<std::pair<std::size_t, QString>> named_;  // values given as a list item's name
    bool inImage_ = false;
    int rows_ = 0;
};

ReadResult ConfigFile::parse(const QString& text) {
    return Parser().run(text);
}

ReadResult ConfigFile::parse(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        ReadResult result;
        result.error = Message{Message::Kind::NotUtf8, 0, {}};
        return result;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return parse(text);
}

ReadResult ConfigFile::load(const QString& path) {
    ReadResult result;
    QByteArray bytes;
    if (const int code = readRegularFile(path, LargestFile, &bytes)) {
        result.error = Message{Message::Kind::Unreadable, 0, {path, readFailureReason(code)}};
        return result;
    }
    if (bytes.size() > LargestFile) {
        result.error = Message{Message::Kind::TooLarge, 0, {path}};
        return result;
    }
    return parse(bytes);
}

CalibrationImage ConfigFile::settingsImage() const {
    CalibrationImage image = image_;
    // A value the image block already holds leaves its bytes alone, so that the control mode's
    // three bytes survive as stored, whatever combination they are in.
    for (const Value& v : values_)
        if (v.setting->raw(image) != v.raw)
            v.setting->setRaw(image, v.raw);
    return image;
}

std::optional<Message> refusal(const CalibrationImage& source, const CalibrationImage& target) {
    for (int i = 0; i < Field::ModelLength; ++i)
        if (source.byte(Field::Model + i) != target.byte(Field::Model + i))
            return Message{
                Message::Kind::OtherModel, 0, {headerValue(source, 0), headerValue(target, 0)}};
    if (source.byte(Field::Variant) != target.byte(Field::Variant))
        return Message{
            Message::Kind::OtherVariant, 0, {headerValue(source, 1), headerValue(target, 1)}};
    if (source.version() != target.version())
        return Message{Message::Kind::OtherFirmware, 0, {versionText(source), versionText(target)}};
    return std::nullopt;
}

std::optional<Message> apply(const ConfigFile& file, CalibrationImage& target) {
    if (auto refused = refusal(file.image(), target))
        return refused;
    for (const ConfigFile::Value& v : file.values())
        if (v.setting->raw(target) != v.raw)
            v.setting->setRaw(target, v.raw);
    return std::nullopt;
}

std::vector<std::pair<QString, QString>> identityOf(const CalibrationImage& image) {
    std::vector<std::pair<QString, QString>> fields;
    for (int key = 0; key < RequiredHeaderKeys; ++key)
        fields.emplace_back(QLatin1String(HeaderKeys[key]), headerValue(image, key));
    return fields;
}

std::optional<Message> saveText(const QString& path, const QString& text) {
    QString reason;
    if (!writeFileAtomically(path, text.toUtf8(), &reason))
        return Message{Message::Kind::WriteFailed, 0, {path, reason}};
    return std::nullopt;
}

QString unitName(const CalibrationImage& image) {
    // Only letters and digits of the model name, so that any bytes make a usable name (the
    // files of earlier versions kept it as a folder name).
    QString model;
    for (int i = 0; i < Field::ModelLength; ++i) {
        const std::uint8_t b = image.byte(Field::Model + i);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'))
            model += QLatin1Char(static_cast<char>(b));
    }
    if (model.isEmpty())
        model = QStringLiteral("unnamed");
    return model + QLatin1Char('-') + serialText(image);
}

std::optional<QString> unitNamed(const QString& text) {
    static const QRegularExpression unit(QStringLiteral("^([A-Za-z0-9]+)-([0-9A-Fa-f]{8})$"));
    const QRegularExpressionMatch m = unit.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1) + QLatin1Char('-') + m.captured(2).toUpper();
}

QString unitFileName(const CalibrationImage& image) {
    return unitName(image) + QStringLiteral(".trncfg");
}

}  // namespace config
