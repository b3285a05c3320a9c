#include "Settings.h"

#include <bit>

#include "Fields.h"

namespace config {

namespace {

// A text of this file in the language given.
QString text(Language language, const char* source) {
    return translated(language, "Settings", source);
}

constexpr Setting onOff(const char* key, const char* english, int pos, std::uint8_t mask,
                        bool inverted = false) {
    Setting s{key, english};
    s.pos = pos;
    s.mask = mask;
    s.coding = Coding::Switch;
    s.inverted = inverted;
    return s;
}

constexpr Setting number(const char* key, const char* english, int pos, std::uint32_t low,
                         std::uint32_t high, const char* unit = "", int divisor = 1,
                         int width = 1) {
    Setting s{key, english};
    s.pos = pos;
    s.width = width;
    s.low = low;
    s.high = high;
    s.unit = unit;
    s.divisor = divisor;
    return s;
}

constexpr Setting list(const char* key, const char* english, int pos, Items items,
                       std::uint8_t mask = 0xFF) {
    Setting s{key, english};
    s.pos = pos;
    s.mask = mask;
    s.coding = Coding::List;
    s.items = items;
    return s;
}

using enum Needs;

// The eleven-bit identifiers of CAN and of a J1939 manufacturer.
constexpr std::uint32_t ElevenBits = 2047;

// In the order the wizard shows the pages, so that lists of settings read like the pages.
constexpr Setting Table[] = {
    // Throttle and current page.
    onOff("forward_switch", QT_TRANSLATE_NOOP("Settings", "Forward Switch"), Field::Switches,
          Field::ForwardSwitchBit),
    onOff("foot_switch", QT_TRANSLATE_NOOP("Settings", "Foot Switch"), Field::Switches,
          Field::FootSwitchBit),
    list("throttle_sensor_type", QT_TRANSLATE_NOOP("Settings", "Throttle Sensor Type"),
         Field::ThrottleSensorType, Items::ThrottleSensor),
    // From 0302 bytes 4 and 5 hold twice the percentage; before, byte 4 holds two list steps.
    number("throttle_start", QT_TRANSLATE_NOOP("Settings", "Throttle effective starting position"),
           Field::ThrottleStart, 0, 80, "%", 2)
        .from(0x0302),
    number("throttle_end", QT_TRANSLATE_NOOP("Settings", "Throttle effective ending position"),
           Field::ThrottleEnd, 120, 200, "%", 2)
        .from(0x0302),
    list("throttle_start_step",
         QT_TRANSLATE_NOOP("Settings", "Throttle effective starting position"),
         Field::ThrottleStart, Items::StartStep, 0xF0)
        .until(0x0302),
    list("throttle_end_step", QT_TRANSLATE_NOOP("Settings", "Throttle effective ending position"),
         Field::ThrottleStart, Items::EndStep, 0x0F)
        .until(0x0302),
    number("max_motor_current", QT_TRANSLATE_NOOP("Settings", "Max Motor Current"),
           Field::MaxMotorCurrent, 20, 100, "%"),
    number("max_battery_current", QT_TRANSLATE_NOOP("Settings", "Max Battery Current"),
           Field::MaxBatteryCurrent, 20, 100, "%")
        .from(0x0208)
        .offering(Offer::BatteryCurrent),
    number("threshold_low", QT_TRANSLATE_NOOP("Settings", "The Low Threshold Voltage"),
           Field::ThresholdLow, 0, 40, "%"),
    number("threshold_high", QT_TRANSLATE_NOOP("Settings", "The High Threshold Voltage"),
           Field::ThresholdHigh, 60, 100, "%"),

    // Start-up and voltage page.
    number("startup_delay", QT_TRANSLATE_NOOP("Settings", "Start-up Delay"), Field::StartupDelay, 0,
           20, "s", 10),
    list("hall_sensor_type", QT_TRANSLATE_NOOP("Settings", "Hall Sensor Type"),
         Field::HallSensorType, Items::Hall),
    // One list on the page, three bytes in the image.
    list("control_mode", QT_TRANSLATE_NOOP("Settings", "Control Mode"), Field::ControlMode,
         Items::ControlMode)
        .placed(Place::ControlMode),
    number("under_voltage", QT_TRANSLATE_NOOP("Settings", "Under Voltage"), Field::UnderVoltage, 0,
           100, "V")
        .offering(Offer::VoltageClass),
    number("over_voltage", QT_TRANSLATE_NOOP("Settings", "Over Voltage"), Field::OverVoltage, 0,
           100, "V")
        .offering(Offer::VoltageClass),
    number("throttle_rate", QT_TRANSLATE_NOOP("Settings", "Throttle Up/Down Rate"),
           Field::ThrottleRate, 10, 200, "", 10)
        .stepping(10),
    onOff("power_on_high_pedal_disable",
          QT_TRANSLATE_NOOP("Settings", "Power On High Pedal Disable"), Field::Switches,
          Field::PowerOnHighPedalOffBit, true),
    onOff("releasing_brake_high_pedal_disable",
          QT_TRANSLATE_NOOP("Settings", "Releasing Brake High Pedal Disable"), Field::Functions,
          Field::ReleasingBrakeHighPedalBit),

    // Motor and speed page. Noise reduction, ABS and the 12 V output are stored from 0204
    // on, cleared where the page does not offer them.
    number("top_speed", QT_TRANSLATE_NOOP("Settings", "Motor Top Speed"), Field::TopSpeed, 30, 100,
           "%")
        .from(0x0204),
    number("motor_poles", QT_TRANSLATE_NOOP("Settings", "Motor Poles"), Field::MotorPoles, 2, 200)
        .stepping(2)
        .from(0x0204),
    onOff("half_speed_reverse", QT_TRANSLATE_NOOP("Settings", "Half Speed In Reverse"),
          Field::Functions, Field::HalfSpeedReverseBit)
        .from(0x0209),
    // The regeneration page clears boost and economy when it stores a brake sensor.
    onOff("boost", QT_TRANSLATE_NOOP("Settings", "Boost Function"), Field::Functions,
          Field::BoostBit)
        .needing(BrakeInput),
    onOff("economy", QT_TRANSLATE_NOOP("Settings", "Economy Function"), Field::Functions,
          Field::EconomyBit)
        .needing(BrakeInput),
    onOff("half_current_reverse", QT_TRANSLATE_NOOP("Settings", "Half Current in Reverse"),
          Field::Functions, Field::HalfCurrentReverseBit)
        .from(0x0300),
    onOff("noise_reduction", QT_TRANSLATE_NOOP("Settings", "Noise Reduction"), Field::Functions,
          Field::NoiseReductionBit)
        .from(0x0204),
    onOff("abs", QT_TRANSLATE_NOOP("Settings", "ABS"), Field::Switches, Field::AbsBit).from(0x0204),
    onOff("output_12v", QT_TRANSLATE_NOOP("Settings", "12V Output"), Field::Switches,
          Field::Output12VBit)
        .from(0x0204),
    number("reverse_top_speed", QT_TRANSLATE_NOOP("Settings", "Motor Top Speed in Reverse"),
           Field::ReverseTopSpeed, 20, 100, "%")
        .from(0x0403),

    // Regeneration page. Before 0302 byte 5 holds the brake sensor span in two list steps.
    onOff("regeneration", QT_TRANSLATE_NOOP("Settings", "Regeneration"), Field::Switches,
          Field::RegenerationBit)
        .needing(Regeneration),
    onOff("brake_switch", QT_TRANSLATE_NOOP("Settings", "Brake Switch"), Field::Switches,
          Field::BrakeSwitchBit)
        .needing(Regeneration),
    number("releasing_throttle_regen",
           QT_TRANSLATE_NOOP("Settings", "Releasing Throttle Starts Regen"),
           Field::ReleasingThrottleRegen, 0, 20, "%")
        .from(0x0209)
        .needing(Regeneration),
    number("brake_switch_regen", QT_TRANSLATE_NOOP("Settings", "Regen Current by Brake Switch On"),
           Field::BrakeSwitchRegen, 5, 50, "%")
        .needing(Regeneration),
    number("max_regen_current", QT_TRANSLATE_NOOP("Settings", "Max Regen Current"),
           Field::MaxRegenCurrent, 20, 100, "%")
        .needing(Regeneration),
    list("brake_sensor_type", QT_TRANSLATE_NOOP("Settings", "Brake Sensor Type"),
         Field::BrakeSensorType, Items::BrakeSensor)
        .needing(BrakeInput),
    number("brake_start", QT_TRANSLATE_NOOP("Settings", "Brake Sensor Starting Point"),
           Field::BrakeSensorStart, 0, 40, "%")
        .from(0x0302)
        .needing(Regeneration),
    number("brake_end", QT_TRANSLATE_NOOP("Settings", "Brake Sensor Ending Point"),
           Field::BrakeSensorEnd, 50, 100, "%")
        .from(0x0302)
        .needing(Regeneration),
    list("brake_start_step", QT_TRANSLATE_NOOP("Settings", "Brake Sensor Starting Point"),
         Field::ThrottleEnd, Items::StartStep, 0xF0)
        .until(0x0302)
        .needing(Regeneration),
    list("brake_end_step", QT_TRANSLATE_NOOP("Settings", "Brake Sensor Ending Point"),
         Field::ThrottleEnd, Items::EndStep, 0x0F)
        .until(0x0302)
        .needing(Regeneration),

    // Temperature, CAN and smoothing page.
    list("motor_temperature_sensor", QT_TRANSLATE_NOOP("Settings", "Motor Temperature Sensor"),
         Field::MotorTempSensor, Items::TemperatureSensor),
    number("stop_temperature", QT_TRANSLATE_NOOP("Settings", "Controller Stop Output Temperature"),
           Field::StopTemperature, 60, 170, "C"),
    number("resume_temperature",
           QT_TRANSLATE_NOOP("Settings", "Controller Resume Output Temperature"),
           Field::ResumeTemperature, 60, 170, "C"),
    number("can_send_id", QT_TRANSLATE_NOOP("Settings", "Send ID"), Field::CanSendId, 0, ElevenBits,
           "", 1, 2)
        .needing(CanVariant),
    number("can_receive_id", QT_TRANSLATE_NOOP("Settings", "Receive ID"), Field::CanReceiveId, 0,
           ElevenBits, "", 1, 2)
        .needing(CanVariant),
    // Only bit 0 of byte 45 is the switch; the rest of the byte is the controller's.
    onOff("smoothing", QT_TRANSLATE_NOOP("Settings", "Smooth"), Field::SmoothEnable,
          Field::SmoothEnableBit)
        .from(0x0404),
    number("smooth_inflection", QT_TRANSLATE_NOOP("Settings", "Inflection Point"),
           Field::SmoothInflection, 5, 30)
        .from(0x0404),
    number("smooth_low_accel", QT_TRANSLATE_NOOP("Settings", "Low Accel"), Field::SmoothLowAccel, 1,
           255)
        .from(0x0404),
    number("smooth_low_decel", QT_TRANSLATE_NOOP("Settings", "Low Decel"), Field::SmoothLowDecel, 1,
           255)
        .from(0x0404),
    number("smooth_high_accel", QT_TRANSLATE_NOOP("Settings", "High Accel"), Field::SmoothHighAccel,
           1, 255)
        .from(0x0404),
    number("smooth_high_decel", QT_TRANSLATE_NOOP("Settings", "High Decel"), Field::SmoothHighDecel,
           1, 255)
        .from(0x0404),

    // J1939 page.
    number("j1939_address", QT_TRANSLATE_NOOP("Settings", "Preferred Address"), Field::J1939Address,
           0, 127)
        .alsoOffering(248, 253)
        .needing(J1939Variant),
    number("j1939_arbitrary_address", QT_TRANSLATE_NOOP("Settings", "Arbitrary Address Capable"),
           Field::J1939ArbitraryAddress, 0, 1)
        .needing(J1939Variant),
    number("j1939_industry_group", QT_TRANSLATE_NOOP("Settings", "Industry Group"),
           Field::J1939IndustryGroup, 0, 7)
        .needing(J1939Variant),
    number("j1939_vehicle_system_instance",
           QT_TRANSLATE_NOOP("Settings", "Vehicle System Instance"),
           Field::J1939VehicleSystemInstance, 0, 15)
        .needing(J1939Variant),
    number("j1939_vehicle_system", QT_TRANSLATE_NOOP("Settings", "Vehicle System"),
           Field::J1939VehicleSystem, 0, 127)
        .needing(J1939Variant),
    number("j1939_reserved", QT_TRANSLATE_NOOP("Settings", "Reserved Fields"), Field::J1939Reserved,
           0, 1)
        .needing(J1939Variant),
    number("j1939_function", QT_TRANSLATE_NOOP("Settings", "Function Fields"), Field::J1939Function,
           0, 255)
        .needing(J1939Variant),
    number("j1939_function_instance", QT_TRANSLATE_NOOP("Settings", "Function Instance"),
           Field::J1939FunctionInstance, 0, 31)
        .needing(J1939Variant),
    number("j1939_ecu_instance", QT_TRANSLATE_NOOP("Settings", "ECU Instance"),
           Field::J1939EcuInstance, 0, 7)
        .needing(J1939Variant),
    number("j1939_manufacturer", QT_TRANSLATE_NOOP("Settings", "Manufacturer Code"),
           Field::J1939Manufacturer, 0, ElevenBits, "", 1, 2)
        .needing(J1939Variant),
    number("j1939_identity", QT_TRANSLATE_NOOP("Settings", "Identity Number"), Field::J1939Identity,
           0, 2097151, "", 1, 3)
        .needing(J1939Variant),
};

// Files written before the control mode became one setting held its three bytes one by one.
constexpr Setting OldTable[] = {
    number("control_mode", QT_TRANSLATE_NOOP("Settings", "Control Mode"), Field::ControlMode, 0,
           255),
    number("control_mode_copy", QT_TRANSLATE_NOOP("Settings", "Control Mode (copy)"),
           Field::ControlModeCopy, 0, 255),
    number("speed_mode", QT_TRANSLATE_NOOP("Settings", "Control Mode (speed)"), Field::SpeedMode, 0,
           255),
};

// List items, by the English names files give them. Where a page fills its list, it shows the
// items' Chinese (from the catalogue) in every language, as it always has.
// Sensor types the throttle and the brake lists share, with the same codes.
constexpr Item NoSensor{0, QT_TRANSLATE_NOOP("Settings", "none")};
constexpr Item ZeroToFive{1, QT_TRANSLATE_NOOP("Settings", "0-5V")};
constexpr Item FiveToZero{2, QT_TRANSLATE_NOOP("Settings", "5-0V")};
constexpr Item OneToFour{2, QT_TRANSLATE_NOOP("Settings", "1-4V")};
constexpr Item Resistive{3, QT_TRANSLATE_NOOP("Settings", "0-5K")};
constexpr Item ThreeWirePedal{1, QT_TRANSLATE_NOOP("Settings", "three-wire pedal")};
constexpr Item HallPedal{2, QT_TRANSLATE_NOOP("Settings", "powered Hall pedal")};

constexpr Item ThrottleSensorOld[] = {ZeroToFive, FiveToZero};
constexpr Item SensorPedals[] = {ThreeWirePedal, HallPedal};
constexpr Item ThrottleSensorNew[] = {ZeroToFive, OneToFour, Resistive};
constexpr Item StartSteps[] = {{0, QT_TRANSLATE_NOOP("Settings", "0%")},
                               {1, QT_TRANSLATE_NOOP("Settings", "10%")},
                               {2, QT_TRANSLATE_NOOP("Settings", "20%")},
                               {3, QT_TRANSLATE_NOOP("Settings", "30%")},
                               {4, QT_TRANSLATE_NOOP("Settings", "40%")}};
constexpr Item EndSteps[] = {
    {0, QT_TRANSLATE_NOOP("Settings", "100%")}, {1, QT_TRANSLATE_NOOP("Settings", "90%")},
    {2, QT_TRANSLATE_NOOP("Settings", "80%")},  {3, QT_TRANSLATE_NOOP("Settings", "70%")},
    {4, QT_TRANSLATE_NOOP("Settings", "60%")},  {5, QT_TRANSLATE_NOOP("Settings", "50%")}};
constexpr Item HallTypes[] = {{60, QT_TRANSLATE_NOOP("Settings", "60 degree")},
                              {120, QT_TRANSLATE_NOOP("Settings", "120 degree")}};
// In the page's order; the codes are what byte 30 holds (byte 28 for speed).
constexpr std::uint32_t Torque = 3, Balanced = 1, Speed = 2;
constexpr Item ControlModes[] = {{Torque, QT_TRANSLATE_NOOP("Settings", "torque")},
                                 {Balanced, QT_TRANSLATE_NOOP("Settings", "balanced")},
                                 {Speed, QT_TRANSLATE_NOOP("Settings", "speed")}};
constexpr Item BrakeSensorOld[] = {
    {0, QT_TRANSLATE_NOOP("Settings", "No Used")}, ZeroToFive, FiveToZero};
constexpr Item BrakePedals[] = {NoSensor, ThreeWirePedal, HallPedal};
constexpr Item BrakeSensorNew[] = {NoSensor, ZeroToFive, OneToFour, Resistive};
constexpr Item NoTemperatureSensor{0, QT_TRANSLATE_NOOP("Settings", "disabled")};
constexpr Item TemperatureOld[] = {NoTemperatureSensor,
                                   {1, QT_TRANSLATE_NOOP("Settings", "in use")}};
constexpr Item TemperatureNew[] = {NoTemperatureSensor,
                                   {1, QT_TRANSLATE_NOOP("Settings", "KTY83-122")},
                                   {2, QT_TRANSLATE_NOOP("Settings", "KTY84-130")}};

// A list's items for this controller, and whether the page fills its list with them (the
// template's own items stay otherwise).
struct ItemList {
    std::span<const Item> items;
    bool pageFills = false;
};

ItemList itemsOf(Items items, const CalibrationImage& image) {
    const FirmwareVersion v = image.version();
    switch (items) {
        case Items::ThrottleSensor:
            return !v.atLeast(0x0302)   ? ItemList{ThrottleSensorOld}
                   : !v.atLeast(0x0403) ? ItemList{SensorPedals, true}
                                        : ItemList{ThrottleSensorNew, true};
        case Items::StartStep:
            return {StartSteps};
        case Items::EndStep:
            return {EndSteps};
        case Items::Hall:
            return {HallTypes};
        case Items::ControlMode:
            return {ControlModes, true};
        case Items::BrakeSensor:
            return !v.atLeast(0x0302)   ? ItemList{BrakeSensorOld}
                   : !v.atLeast(0x0403) ? ItemList{BrakePedals, true}
                                        : ItemList{BrakeSensorNew, true};
        case Items::TemperatureSensor:
            return v.atLeast(0x0404) ? ItemList{TemperatureNew, true}
                                     : ItemList{TemperatureOld, true};
        case Items::None:
            break;
    }
    return {};
}

// The battery current the TRE series takes at most.
constexpr std::uint32_t TreBatteryCurrent = 70;

// The span offered, or the table's own where the controller names none.
Span spanOrTable(const Setting& s, const CalibrationImage& image) {
    return offeredSpan(s, image).value_or(Span{s.low, s.high});
}

int shiftOf(std::uint8_t mask) {
    return std::countr_zero(static_cast<unsigned>(mask));
}

}  // namespace

QString programText() {
    return QStringLiteral("trnsetup " TRN_VERSION);
}

Language languageNamed(QStringView name) {
    return name.compare(QLatin1String("chinese"), Qt::CaseInsensitive) == 0 ? Language::Chinese
                                                                            : Language::English;
}

bool Setting::inFirmware(const CalibrationImage& image) const {
    const FirmwareVersion v = image.version();
    const unsigned version = (unsigned{v.major} << 8) | v.minor;
    return version >= since && version < before;
}

bool Setting::appliesTo(const CalibrationImage& image) const {
    const FirmwareVersion v = image.version();
    if (!inFirmware(image))
        return false;
    switch (needs) {
        case Needs::Nothing:
            return true;
        case Needs::Regeneration:
            return hasRegeneration(image);
        case Needs::BrakeInput:
            return hasRegeneration(image) || v.atLeast(0x0300);
        case Needs::CanVariant:
            return isCanVariant(image);
        case Needs::J1939Variant:
            return isJ1939Variant(image);
    }
    return false;
}

std::uint32_t Setting::raw(const CalibrationImage& image) const {
    if (place == Place::ControlMode) {
        // As the start-up page reads it: the speed flag first, then torque, else balanced.
        if (image.byte(Field::SpeedMode) == Speed)
            return Speed;
        return image.byte(Field::ControlMode) == Torque ? Torque : Balanced;
    }
    if (width > 1)
        return image.field(pos, width);
    return static_cast<std::uint32_t>(image.byte(pos) & mask) >> shiftOf(mask);
}

void Setting::setRaw(CalibrationImage& image, std::uint32_t value) const {
    if (place == Place::ControlMode) {
        // As the start-up page writes it: speed sets only its flag; the others set all three.
        if (value == Speed) {
            image.setByte(Field::SpeedMode, Speed);
            return;
        }
        const auto mode = static_cast<std::uint8_t>(value == Torque ? Torque : Balanced);
        image.setByte(Field::SpeedMode, 0);
        image.setByte(Field::ControlMode, mode);
        image.setByte(Field::ControlModeCopy, mode);
        return;
    }
    if (width > 1) {
        image.setField(pos, width, value);
        return;
    }
    const auto bits = static_cast<std::uint8_t>((value << shiftOf(mask)) & mask);
    image.setByte(pos, static_cast<std::uint8_t>((image.byte(pos) & ~mask) | bits));
}

std::uint32_t Setting::maximum() const {
    if (width > 1)
        return width >= 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
    return static_cast<std::uint32_t>(mask) >> shiftOf(mask);
}

std::vector<Setting::Bits> Setting::bits() const {
    if (place == Place::ControlMode)
        return {
            {Field::SpeedMode, 0xFF}, {Field::ControlMode, 0xFF}, {Field::ControlModeCopy, 0xFF}};
    std::vector<Bits> out;
    for (int i = 0; i < width; ++i) out.push_back({pos + i, width > 1 ? std::uint8_t{0xFF} : mask});
    return out;
}

QString Setting::caption(Language language) const {
    return text(language, english);
}

std::span<const Setting> settings() {
    return Table;
}

const Setting* findSetting(QAnyStringView key) {
    for (const Setting& s : Table)
        if (QAnyStringView::equal(key, QLatin1String(s.key)))
            return &s;
    return nullptr;
}

const Setting* findOldSetting(QAnyStringView key) {
    for (const Setting& s : OldTable)
        if (QAnyStringView::equal(key, QLatin1String(s.key)))
            return &s;
    return nullptr;
}

std::vector<const Setting*> settingsOf(const CalibrationImage& image) {
    std::vector<const Setting*> out;
    for (const Setting& s : Table)
        if (s.appliesTo(image))
            out.push_back(&s);
    return out;
}

std::array<std::uint8_t, CalibrationImage::Size> settingBits(const CalibrationImage& image) {
    std::array<std::uint8_t, CalibrationImage::Size> bits{};
    for (const Setting* s : settingsOf(image))
        for (const Setting::Bits& b : s->bits()) bits[static_cast<std::size_t>(b.pos)] |= b.mask;
    return bits;
}

bool isIdentity(int pos) {
    return (pos >= Field::Model && pos <= Field::VersionMinor) || pos == Field::Variant;
}

QString itemName(const Setting& setting, const CalibrationImage& image, std::uint32_t raw,
                 Language language) {
    for (const Item& item : itemsOf(setting.items, image).items)
        if (item.code == raw)
            return text(language, item.english);
    return {};
}

QString fileText(const Setting& setting, const CalibrationImage& image, std::uint32_t raw) {
    if (setting.coding != Coding::List)
        return valueText(setting, raw);
    const QString name = itemName(setting, image, raw, Language::English);
    if (name.isEmpty())
        return valueText(setting, raw);
    return name.contains(QLatin1Char(' ')) ? QLatin1Char('"') + name + QLatin1Char('"') : name;
}

std::optional<std::uint32_t> itemCode(const Setting& setting, const CalibrationImage& image,
                                      QStringView text) {
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.sliced(1, text.size() - 2).trimmed();
    for (const Item& item : itemsOf(setting.items, image).items)
        if (text.compare(QString::fromUtf8(item.english), Qt::CaseInsensitive) == 0 ||
            text.compare(config::text(Language::Chinese, item.english), Qt::CaseInsensitive) == 0)
            return item.code;
    return std::nullopt;
}

QString choicesText(const Setting& setting, const CalibrationImage& image, Language language) {
    QStringList names;
    for (const Item& item : itemsOf(setting.items, image).items)
        names << text(language, item.english);
    return names.join(QLatin1String(", "));
}

int itemIndex(const Setting& setting, const CalibrationImage& image, std::uint32_t code) {
    const std::span<const Item> items = itemsOf(setting.items, image).items;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].code == code)
            return static_cast<int>(i);
    return -1;
}

std::optional<std::uint32_t> itemAt(const Setting& setting, const CalibrationImage& image,
                                    int index) {
    const std::span<const Item> items = itemsOf(setting.items, image).items;
    if (index < 0 || static_cast<std::size_t>(index) >= items.size())
        return std::nullopt;
    return items[static_cast<std::size_t>(index)].code;
}

QStringList pageItems(const Setting& setting, const CalibrationImage& image) {
    const ItemList list = itemsOf(setting.items, image);
    QStringList texts;
    if (list.pageFills)
        for (const Item& item : list.items) texts << text(Language::Chinese, item.english);
    return texts;
}

QString shownText(const Setting& setting, const CalibrationImage& image, std::uint32_t raw,
                  Language language) {
    switch (setting.coding) {
        case Coding::Switch:
            if ((raw != 0) != setting.inverted)
                return text(language, QT_TRANSLATE_NOOP("Settings", "Enable"));
            return text(language, QT_TRANSLATE_NOOP("Settings", "Disable"));
        case Coding::List:
            if (const QString name = itemName(setting, image, raw, language); !name.isEmpty())
                return name;
            return valueText(setting, raw);
        case Coding::Number:
            break;
    }
    return valueText(setting, raw);
}

bool offered(const Setting& setting, const CalibrationImage& image, std::uint32_t raw) {
    switch (setting.coding) {
        case Coding::Switch:
            return true;
        case Coding::List:
            for (const Item& item : itemsOf(setting.items, image).items)
                if (item.code == raw)
                    return true;
            return false;
        case Coding::Number:
            break;
    }
    const Span span = spanOrTable(setting, image);
    if (raw >= span.low && raw <= span.high)
        return (raw - span.low) % setting.step == 0;
    return raw >= setting.low2 && raw <= setting.high2;
}

QString offeredText(const Setting& setting, const CalibrationImage& image, Language language) {
    switch (setting.coding) {
        case Coding::Switch:
            return QStringLiteral("on, off");
        case Coding::List:
            return choicesText(setting, image, language);
        case Coding::Number:
            break;
    }
    const Span span = spanOrTable(setting, image);
    QString text =
        valueText(setting, span.low) + QLatin1String("..") + valueText(setting, span.high);
    if (setting.step != 1)
        text += config::text(language, QT_TRANSLATE_NOOP("Settings", ", step ")) +
                valueText(setting, setting.step);
    if (setting.low2 <= setting.high2)
        text += QLatin1String(", ") + valueText(setting, setting.low2) + QLatin1String("..") +
                valueText(setting, setting.high2);
    return text;
}

std::optional<Span> offeredSpan(const Setting& setting, const CalibrationImage& image) {
    switch (setting.offer) {
        case Offer::VoltageClass:
            if (const auto range = voltageClassRange(image))
                return Span{static_cast<std::uint32_t>(range->minimum),
                            static_cast<std::uint32_t>(range->maximum)};
            return std::nullopt;
        case Offer::BatteryCurrent:
            return Span{setting.low, isTreSeries(image) ? TreBatteryCurrent : setting.high};
        case Offer::Fixed:
            break;
    }
    return Span{setting.low, setting.high};
}

QString refusalText(const Setting& setting) {
    QString text = QStringLiteral("%1 must between %2 and %3")
                       .arg(QLatin1String(setting.english))
                       .arg(setting.low)
                       .arg(setting.high);
    if (setting.low2 <= setting.high2)
        text += QStringLiteral(" or %1 and %2").arg(setting.low2).arg(setting.high2);
    return text + QLatin1Char(' ');
}

}  // namespace config
