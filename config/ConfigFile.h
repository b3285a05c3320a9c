#pragma once
// Configuration files: UTF-8 text a person can read, edit and compare.
//
//   # trnsetup configuration
//   model = TRN48201
//   variant = C
//   firmware = 0405
//   serial = 000AB0FF
//   date = 2024-05-01T10:00:00+02:00
//   program = trnsetup <version>
//
//   max_motor_current = 80%                 # Max Motor Current, 20%..100%
//   throttle_sensor_type = 1-4V             # Throttle Sensor Type: 0-5V, 1-4V, 0-5K
//   ...
//   [image]
//   00  FF 00 02 ...                        (8 rows of 16 bytes: the whole controller)
//
// The setting lines are what a person edits and what is applied; the image block records the
// controller the file was made from and is never applied to another unit. Everything after
// '#' is a comment. Reading is strict: the first line that does not fit is reported, and a
// file with an error yields nothing to apply.

#include <optional>
#include <utility>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "CalibrationImage.h"
#include "Settings.h"

namespace config {

// A finding about a file, or why a file may not go onto a controller.
struct Message {
    enum class Kind {
        Unreadable,  // args: path, reason (a name that is not a regular file is not opened)
        TooLarge,    // args: path
        Empty,
        NotUtf8,
        Unparsable,       // args: the line's text
        UnknownKey,       // args: key
        RepeatedKey,      // args: key, first line
        BadValue,         // args: key, value (the text adds the form a value takes)
        BadDate,          // args: value
        MissingHeader,    // args: key
        HeaderMismatch,   // args: key, header's value, image block's value
        NotOnController,  // args: key, firmware, variant
        Truncated,        // line: where the file ends; args: bytes of the image block read
        BadImageRow,      // args: the offset expected
        TextAfterImage,
        OutOfRange,     // warning; args: key, value, offered range
        OtherModel,     // args: file's, controller's
        OtherVariant,   // args: file's, controller's
        OtherFirmware,  // args: file's, controller's
        WriteFailed,    // args: path, reason
        // A line the controller will not take as written; args: key, value, what instead.
        Adjusted,      // args: key, value, offered range, the value written
        NotOffered,    // args: key, value, the value kept
        RefusedValue,  // args: key, value, the value kept
        Interlocked,   // args: key, value, the value written
        // The journal's server did not do what was asked; args: its address, the reason.
        ServerFailed,
        NotDefaultFile,  // args: the bytes the file holds, the bytes a default file holds
    };
    Kind kind;
    int line = 0;  // 1-based; 0 when the message is about no line
    QStringList args;

    QString text(Language language) const;
};

// What a file's header records besides the identity.
struct FileInfo {
    QDateTime date;
    QString program;
};

struct ReadResult;

class ConfigFile {
public:
    struct Value {
        const Setting* setting;
        std::uint32_t raw;
        int line;
    };

    // The text of a file holding image: every setting this controller has, with captions and
    // list names in comments in the given language.
    static QString write(const CalibrationImage& image, const FileInfo& info, Language language);
    // The same for a file whose setting lines come from settings while its header and image
    // block keep reference, the controller it was made from (of the same model, variant and
    // firmware).
    static QString write(const CalibrationImage& settings, const CalibrationImage& reference,
                         const FileInfo& info, Language language);

    static ReadResult parse(const QString& text);
    // Checks that the bytes are UTF-8 first.
    static ReadResult parse(const QByteArray& bytes);
    static ReadResult load(const QString& path);

    // The image block: the controller the file was made from.
    const CalibrationImage& image() const { return image_; }
    // The setting lines, in file order.
    const std::vector<Value>& values() const { return values_; }
    const QString& date() const { return date_; }
    const QString& program() const { return program_; }
    // The image block with the setting lines applied: what the file says.
    CalibrationImage settingsImage() const;

private:
    CalibrationImage image_;
    std::vector<Value> values_;
    QString date_;
    QString program_;
    friend class Parser;
};

struct ReadResult {
    bool ok() const { return file.has_value(); }

    std::optional<ConfigFile> file;  // none when there is an error
    std::optional<Message> error;
    std::vector<Message> warnings;  // values outside what the pages offer
};

// Why the settings of a file made from source may not go onto target: they must agree in
// model name, variant letter and firmware, since these change the settings' codings.
std::optional<Message> refusal(const CalibrationImage& source, const CalibrationImage& target);
// Writes the file's setting lines into target, touching no other bit; refuses (and changes
// nothing) as refusal() says.
std::optional<Message> apply(const ConfigFile& file, CalibrationImage& target);

// The controller an image belongs to as a file's header names it: model, variant, firmware and
// serial, each with its header key, in header order.
std::vector<std::pair<QString, QString>> identityOf(const CalibrationImage& image);

// Writes text as UTF-8 with writeFileAtomically: a failure (a full disk, a target that is not a
// regular file) is returned as WriteFailed, naming the file and the reason, and leaves any old
// file whole.
// The unit an image belongs to, "TRN48201-000AB0FF": the model name's letters and digits
// ("unnamed" when none), a dash and the serial number.
QString unitName(const CalibrationImage& image);
// A unit as a person names it, "TRN48201-000ab0ff", as unitName names it: the serial's hex
// digits in upper case. None for a text that is not MODEL-SERIAL.
std::optional<QString> unitNamed(const QString& text);
// The name of a unit's configuration file: its unit name and ".trncfg", as read --all-ports
// saves it and the wizard's Save suggests it.
QString unitFileName(const CalibrationImage& image);

std::optional<Message> saveText(const QString& path, const QString& text);

// The bytes of a regular file, at most limit + 1 of them (so that a larger file shows as
// such), or the errno value, or -1 when the name is not a regular file. Checked before it is
// opened, and opened without waiting, so that a FIFO or a device is never waited on.
int readRegularFile(const QString& path, qint64 limit, QByteArray* bytes);
// Why readRegularFile failed, given what it returned, in the program's language.
QString readFailureReason(int code);

}  // namespace config
