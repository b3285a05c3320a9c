#pragma once

#include "SettingsPage.h"

// Temperature, CAN and smoothing page.
class CStep4 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 148;
    static constexpr kit::Required Controls[] = {
        {1140, kit::Kind::List},   {1084, kit::Kind::Slider}, {1039, kit::Kind::Label},
        {1035, kit::Kind::Slider}, {1040, kit::Kind::Label},  {1122, kit::Kind::Group},
        {1123, kit::Kind::Label},  {1125, kit::Kind::Edit},   {1124, kit::Kind::Label},
        {1126, kit::Kind::Edit},   {1139, kit::Kind::Group},  {1138, kit::Kind::Label},
        {1088, kit::Kind::Option}, {1089, kit::Kind::Option}, {1133, kit::Kind::Label},
        {1041, kit::Kind::Label},  {1085, kit::Kind::Slider}, {1134, kit::Kind::Label},
        {1042, kit::Kind::Label},  {1037, kit::Kind::Slider}, {1135, kit::Kind::Label},
        {1043, kit::Kind::Label},  {1086, kit::Kind::Slider}, {1136, kit::Kind::Label},
        {1044, kit::Kind::Label},  {1132, kit::Kind::Slider}, {1137, kit::Kind::Label},
        {1045, kit::Kind::Label},  {1087, kit::Kind::Slider},
    };

    explicit CStep4(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;

private:
    void showSmoothingRows(bool visible);
    // Reads one CAN identifier into its two bytes; false, after telling the user, when the
    // text is out of range.
    bool storeIdentifier(int editId, int captionId, int pos, const QString& message);
};
