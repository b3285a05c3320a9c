#pragma once
// The one table of what a configuration is: every field and bit the setting pages edit, with
// its name for files, its captions, where it lives in the image, how it is coded and what the
// pages offer. Files, change lists and printed settings all go through this table.
//
// Bytes fall into three classes. Settings are the fields and bits below. Identity is bytes 64
// to 84 and 107. Everything else, including the unnamed bits of bytes 0, 1 and 45, belongs to
// the controller (it may hold per-unit calibration) and is never copied between units.
//
// A setting is listed for a controller when a page of that controller's wizard stores it:
// the firmware, the regeneration marker and the variant letter decide. Where a byte changes
// meaning with the firmware (bytes 4 and 5 before and from 0302), each meaning is a setting
// of its own with its own key, so a key always has one coding.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include <QAnyStringView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "CalibrationImage.h"
#include "Texts.h"

namespace config {

// "trnsetup " and the version: the program named in the files it writes.
QString programText();
// "english" or "chinese" (the language modules' names); anything else is English.
Language languageNamed(QStringView name);

// Which controllers have a setting, besides its firmware span.
enum class Needs {
    Nothing,
    Regeneration,  // model name ends in "1": the regeneration page exists
    BrakeInput,    // the regeneration page, or firmware 0300 on (boost and economy)
    CanVariant,    // variant letter "C"
    J1939Variant,  // variant letter "J"
};

// Where a setting lives, when it is not one field.
enum class Place {
    Field,        // pos, width and mask
    ControlMode,  // bytes 28, 30 and 18 together, read and written as the start-up page does
};

enum class Coding {
    Switch,  // one bit, on or off
    Number,  // stored = divisor x value, shown with a unit
    List,    // a code, named by the list the page shows
};

// The lists whose items name a list setting's codes; some change with the firmware.
enum class Items {
    None,
    ThrottleSensor,
    StartStep,
    EndStep,
    Hall,
    ControlMode,
    BrakeSensor,
    TemperatureSensor,
};

// How the range a page offers is found.
enum class Offer {
    Fixed,           // low..high (and low2..high2 when given)
    VoltageClass,    // from the model name's voltage class
    BatteryCurrent,  // 20..100, 20..70 on the TRE series
};

struct Item {
    std::uint32_t code;
    // Also the name a file gives the item; its Chinese (from the catalogue) is the text the
    // page shows, where the page fills the list, and a name files may give too.
    const char* english;
};

struct Setting {
    const char* key;      // ASCII, for files
    const char* english;  // the page's caption, without help numbers (Chinese: the catalogue)
    int pos = 0;
    int width = 1;             // bytes, big-endian
    std::uint8_t mask = 0xFF;  // the bits of a one-byte field
    Coding coding = Coding::Number;
    bool inverted = false;  // a switch whose set bit means off
    int divisor = 1;
    const char* unit = "";
    Items items = Items::None;
    Offer offer = Offer::Fixed;
    std::uint32_t low = 0, high = 0;    // offered, in stored units
    std::uint32_t low2 = 1, high2 = 0;  // a second offered span (empty unless given)
    std::uint32_t step = 1;
    unsigned since = 0x0000, before = 0x10000;  // firmware span, as four hex digits
    Needs needs = Needs::Nothing;
    Place place = Place::Field;

    // Chained adjustments for the table: a copy with one member changed.
    template <class T, class V>
    constexpr Setting with(T Setting::*member, V value) const {
        Setting s = *this;
        s.*member = value;
        return s;
    }
    constexpr Setting from(unsigned version) const { return with(&Setting::since, version); }
    constexpr Setting until(unsigned version) const { return with(&Setting::before, version); }
    constexpr Setting needing(Needs n) const { return with(&Setting::needs, n); }
    constexpr Setting offering(Offer o) const { return with(&Setting::offer, o); }
    constexpr Setting alsoOffering(std::uint32_t l, std::uint32_t h) const {
        return with(&Setting::low2, l).with(&Setting::high2, h);
    }
    constexpr Setting stepping(std::uint32_t st) const { return with(&Setting::step, st); }
    constexpr Setting placed(Place p) const { return with(&Setting::place, p); }

    bool appliesTo(const CalibrationImage& image) const;
    // Whether the controller's firmware is within the setting's span (whatever else it needs).
    bool inFirmware(const CalibrationImage& image) const;
    // The stored value, shifted down to bit 0 for bit groups.
    std::uint32_t raw(const CalibrationImage& image) const;
    // Writes value into the setting's bits only; other bits of its bytes keep theirs.
    void setRaw(CalibrationImage& image, std::uint32_t value) const;
    // The largest value the setting's bits hold.
    std::uint32_t maximum() const;
    // The bits of the image the setting takes, byte by byte.
    struct Bits {
        int pos;
        std::uint8_t mask;
    };
    std::vector<Bits> bits() const;
    QString caption(Language language) const;
};

std::span<const Setting> settings();
const Setting* findSetting(QAnyStringView key);
// Keys that files written by earlier versions hold and that no longer name a setting of their
// own (the control mode's three bytes one by one): still read, meaning the bytes they meant.
const Setting* findOldSetting(QAnyStringView key);
// The settings this controller has, in table order.
std::vector<const Setting*> settingsOf(const CalibrationImage& image);
// Per byte, the bits that are this controller's settings.
std::array<std::uint8_t, CalibrationImage::Size> settingBits(const CalibrationImage& image);
bool isIdentity(int pos);

// The value as a file holds it, from the stored value, never clamped: "80%", "60.5%",
// "1.5s", "on", "2". Lossless: parseValue gives raw back.
QString valueText(const Setting& setting, std::uint32_t raw);
// The stored value a file's text stands for; nothing when it does not fit the coding.
std::optional<std::uint32_t> parseValue(const Setting& setting, QStringView text);
// What the text of a value looks like, for messages: "a percentage such as 80%".
QString valueForm(const Setting& setting, Language language);
// The list item's name for a code ("1-4V"); empty for other codings and unknown codes.
QString itemName(const Setting& setting, const CalibrationImage& image, std::uint32_t raw,
                 Language language);
// The value as a file holds it, for any coding: a list item by its name, quoted when it has
// blanks ("\"three-wire pedal\""), a code that names no item as its number.
QString fileText(const Setting& setting, const CalibrationImage& image, std::uint32_t raw);
// The code of a list item named by text (its name in either language, quoted or not, in any
// case); nothing when no item of this controller's list has that name.
std::optional<std::uint32_t> itemCode(const Setting& setting, const CalibrationImage& image,
                                      QStringView text);
// The choices of a list, by name, for comments: "60 degree, 120 degree".
QString choicesText(const Setting& setting, const CalibrationImage& image, Language language);
// The items the page puts into its list itself, in list order; empty where the template's
// own items stay. A list item's index is its position here.
QStringList pageItems(const Setting& setting, const CalibrationImage& image);
// The index of the item with this code in the controller's list; -1 when none has it.
int itemIndex(const Setting& setting, const CalibrationImage& image, std::uint32_t code);
// The code of the item at index; nothing when the list has no item there.
std::optional<std::uint32_t> itemAt(const Setting& setting, const CalibrationImage& image,
                                    int index);
// The value as a screen or a change list shows it: item names for lists, Enable/Disable for
// switches, valueText otherwise.
QString shownText(const Setting& setting, const CalibrationImage& image, std::uint32_t raw,
                  Language language);
// Whether the page offers the value for this controller.
bool offered(const Setting& setting, const CalibrationImage& image, std::uint32_t raw);
// The stored values a page's slider or number offers for this controller; none where the
// controller names no range (an unknown voltage class).
struct Span {
    std::uint32_t low, high;
};
std::optional<Span> offeredSpan(const Setting& setting, const CalibrationImage& image);
// The English input check a page shows when a typed number is refused: the caption, then
// "must between", the offered span or spans and a blank, as the pages always said it.
QString refusalText(const Setting& setting);
// The range the page offers, for comments and warnings: "20% to 100%", "1, 2, 3".
QString offeredText(const Setting& setting, const CalibrationImage& image,
                    Language language = Language::English);

// Texts of the identity fields in files: the model's 8 bytes and the variant letter as
// printable ASCII, other bytes (and blanks, '#', '\') as \xNN; serial and firmware as hex.
QString escapedBytes(const CalibrationImage& image, int pos, int length);

}  // namespace config
