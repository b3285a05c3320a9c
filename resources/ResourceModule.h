#pragma once

#include <memory>

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

class QUiLoader;
class QWidget;

// A language module: a binary Qt resource bundle (english.rcc, chinese.rcc) that holds every
// dialog template, string, bitmap and the icon under fixed numbers. While loaded it is
// registered under ":/module" and is the one source of these resources for the program.
class ResourceModule {
public:
    ResourceModule();
    ~ResourceModule();  // releases the bundle
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    // Registers the bundle file. False, with a reason in *error, when the file is missing,
    // unreadable, not a resource bundle, or lacks the string table. At most one module is
    // loaded at a time; loading releases the previous one.
    bool load(const QString& fileName, QString* error = nullptr);
    // Unregisters the bundle; do this only after every widget made from it is gone.
    void release();
    bool isLoaded() const { return loaded_; }
    QString fileName() const { return fileName_; }

    // The module currently loaded, or null.
    static ResourceModule* current();

    // Dialog template <id> created with QUiLoader as a child of parent (hidden until shown).
    // Null, with a reason in *error, when the module does not hold it or it cannot be built.
    QWidget* createDialog(int id, QWidget* parent, QString* error = nullptr) const;
    // The text of dialog template <id> (a .ui file), for reading without building it; a null
    // array, with a reason, when the module does not hold it. Any thread.
    QByteArray dialogText(int id, QString* error = nullptr) const;
    // String <id> of the string table; a null QString, with a reason, when it is missing.
    QString string(int id, QString* error = nullptr) const;
    bool hasString(int id) const;
    // Bitmap <id>; a null pixmap, with a reason, when it is missing or damaged.
    QPixmap bitmap(int id, QString* error = nullptr) const;
    // Icon <id>; a null icon, with a reason, when it is missing.
    QIcon icon(int id, QString* error = nullptr) const;
    // Language codes a module declares.
    static constexpr int English = 1033;
    static constexpr int Chinese = 2052;
    // Language of the module: English or Chinese; 0 when unknown.
    int language() const;
    bool isChinese() const { return language() == Chinese; }
    // "english" or "chinese", as modules are named; empty when unknown.
    QString languageName() const;
    // File and product version of the module, such as "4.1.0.0".
    QString version() const;

private:
    // Bitmap or icon file of the bundle, read at once; null with a reason when missing or damaged.
    QImage picture(const char* kind, const QString& file, int id, QString* error) const;
    bool loaded_ = false;
    QString fileName_;
    QString registeredPath_;
    QByteArray bundle_;  // the registered bytes, checked before registering; kept until release
    QHash<int, QString> strings_;  // read once at load; the table is small
    int language_ = 0;
    QString version_;
    // Made once: a loader looks for designer plugins on the disk when it is made, and a batch
    // builds the same templates for every unit. The templates that passed the class check.
    mutable std::unique_ptr<QUiLoader> loader_;
    mutable QHash<int, QByteArray> templates_;
};
