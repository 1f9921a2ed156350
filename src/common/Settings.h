#pragma once
// The settings store: one INI file per user, one group per section ("Main", "Options", ...),
// every value a string. A missing value reads as "".

#include <QString>
#include <memory>

class QSettings;

namespace q32 {

class PromptService;

// The key path every section hangs under; only its last part names the INI group.
inline constexpr char kKeyRoot[] = "Software\\Quillon 32\\";

// The sections the program keeps its settings in.
namespace section {
inline constexpr char Main[] = "Main";
inline constexpr char Directories[] = "Directories";
inline constexpr char Options[] = "Options";
inline constexpr char FilesParameters[] = "Files Parameters";
inline constexpr char Grid[] = "MSFlexGrid1";
inline constexpr char Recent[] = "Settings";
inline constexpr char SlideShow[] = "Slide Show";
inline constexpr char AddImages[] = "AddImages";
} // namespace section

class Settings {
public:
    // prompts may be null (command-line tool): write failures are then only returned.
    explicit Settings(const QString& iniPath, PromptService* prompts = nullptr);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // The per-user file under the configuration folder ($XDG_CONFIG_HOME/quillon32/quillon32.ini).
    static QString defaultPath();

    // keyPath is "Software\Quillon 32\<section>" or just the section name.
    QString RegGetString(const QString& keyPath, const QString& name) const;
    bool RegPutString(const QString& keyPath, const QString& name, const QString& text);

    // Numbers are read with the leading-number conversion: "" and "abc" give 0.
    double number(const QString& keyPath, const QString& name) const;
    int integer(const QString& keyPath, const QString& name) const;

    QString filePath() const;
    void setPrompts(PromptService* prompts) { m_prompts = prompts; }

    static QString sectionOf(const QString& keyPath);

private:
    std::unique_ptr<QSettings> m_store;
    PromptService* m_prompts;
    bool m_private = false; // the file has been made the user's alone
};

} // namespace q32
