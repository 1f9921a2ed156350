#pragma once
// The settings store: one INI file per user, one group per section ("Main", "Options", ...),
// every value kept as text. Callers name a value by its key below, never by strings of their
// own, and get it back typed; a value never stored reads as its key's fallback.

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QSettings;

namespace q32 {

class PromptService;

// One stored value: its section, its name and what it reads as while nothing is stored. A
// numbered family ("DBFile1" ... "DBFile4") is one key whose name takes the number after it.
template <typename T, typename Fallback = T> struct Setting {
    const char* section;
    const char* name;
    Fallback fallback{};
    int number = -1; // appended to name when not negative

    constexpr Setting operator[](int n) const { return {section, name, fallback, n}; }
};

using TextSetting = Setting<QString, const char*>;
using IntSetting = Setting<int>;               // read with the leading-number conversion, rounded
using NumberSetting = Setting<double>;         // "" and "abc" read as 0
using FlagSetting = Setting<bool>;             // stored "-1" (on) or "0"
using ColourSetting = Setting<QColor, qint64>; // a number 0xBBGGRR

// A window's place on the screen, kept as its section's "Left" and "Top".
struct PlaceSetting {
    const char* section;
};

// Every value the program keeps. The section and value names are what users' files hold.
namespace key {
namespace section {
inline constexpr char Main[] = "Main";
inline constexpr char Directories[] = "Directories";
inline constexpr char Options[] = "Options";
inline constexpr char FilesParameters[] = "Files Parameters";
inline constexpr char Grid[] = "MSFlexGrid1";
inline constexpr char Recent[] = "Settings";
inline constexpr char SlideShow[] = "Slide Show";
inline constexpr char Caption[] = "ImageCaption";
inline constexpr char Scanner[] = "Scanner";
inline constexpr char ContactSheet[] = "Contact Sheet";
inline constexpr char HardCopy[] = "Hard Copy";
} // namespace section

// The main window: its frame, grid columns (0-based), sort order and filters.
inline constexpr IntSetting MainWidth{section::Main, "Width"};
inline constexpr IntSetting MainHeight{section::Main, "Height"};
inline constexpr IntSetting GridColumn{section::Grid, "Column"};
inline constexpr IntSetting SortBy{section::Main, "SortBy"};
inline constexpr TextSetting KeywordsToDisplay{section::Main, "KeywordsToDisplay"};
inline constexpr TextSetting DescToDisplay{section::Main, "DescToDisplay"};
inline constexpr IntSetting SimilarDistance{section::Main, "SimilarDistance", 12};
// The recent albums, 1 to 4, each "&n path".
inline constexpr TextSetting RecentAlbum{section::Recent, "DBFile"};
inline constexpr int RecentAlbumCount = 4;

inline constexpr TextSetting AlbumsDir{section::Directories, "AlbumsDir"};
inline constexpr TextSetting AddImgFromDir{section::Directories, "AddImgFromDir"};
inline constexpr TextSetting ThumbNailsDir{section::Directories, "ThumbNailsDir"};
inline constexpr TextSetting FilesPattern{section::FilesParameters, "FilesPattern"};

inline constexpr FlagSetting Recursive{section::Options, "Recursive"};
inline constexpr FlagSetting SkipDuplicates{section::Options, "SkipDuplicates"};
inline constexpr FlagSetting ThumbnailView{section::Options, "ThumbnailView"};
inline constexpr FlagSetting DitherPaint{section::Options, "DitherPaint"};
inline constexpr ColourSetting SelImgBackColor{section::Options, "SelImgBackColor", 0};
inline constexpr TextSetting ImageProcessor{section::Options, "ImageProcessor"};

inline constexpr IntSetting SlideShowInterval{section::SlideShow, "SlideShowInterval"};
inline constexpr IntSetting EffectDelay{section::SlideShow, "EffectDelay"};
inline constexpr IntSetting EffectGrain{section::SlideShow, "EffectGrain"};
inline constexpr FlagSetting ShowCDPanel{section::SlideShow, "ShowCDPanel"};
inline constexpr FlagSetting ShowAnnotation{section::SlideShow, "ShowAnnotation"};

// The viewer's caption box.
inline constexpr TextSetting CaptionFontName{section::Caption, "CaptionFontName"};
inline constexpr IntSetting CaptionFontSize{section::Caption, "CaptionFontSize"};
inline constexpr FlagSetting CaptionFontBold{section::Caption, "CaptionFontBold"};
inline constexpr FlagSetting CaptionFontItalic{section::Caption, "CaptionFontItalic"};
inline constexpr IntSetting CaptionBorderStyle{section::Caption, "CaptionBorderStyle"};
inline constexpr ColourSetting CaptionForeColor{section::Caption, "CaptionForeColor", 0xFFFFFF};
inline constexpr ColourSetting CaptionBackColor{section::Caption, "CaptionBackColor", 0};
inline constexpr IntSetting CaptionLeft{section::Caption, "CaptionLeft"};
inline constexpr IntSetting CaptionTop{section::Caption, "CaptionTop"};
inline constexpr IntSetting CaptionWidth{section::Caption, "CaptionWidth"};
inline constexpr IntSetting CaptionHeight{section::Caption, "CaptionHeight"};

inline constexpr TextSetting ScannerDevice{section::Scanner, "Device"};
inline constexpr TextSetting ScannerSource{section::Scanner, "Source"};
inline constexpr IntSetting ScannerResolution{section::Scanner, "Resolution"};

inline constexpr IntSetting SheetColumns{section::ContactSheet, "Columns"};
inline constexpr IntSetting SheetRows{section::ContactSheet, "Rows"};
inline constexpr IntSetting SheetCaptions{section::ContactSheet, "Captions"}; // 1: descriptions

// The print window's boxes, kept as typed.
inline constexpr NumberSetting PrintLeft{section::HardCopy, "PrintLeft"};
inline constexpr NumberSetting PrintTop{section::HardCopy, "PrintTop"};
inline constexpr NumberSetting SpinIncrement{section::HardCopy, "SpinIncrement"};
inline constexpr NumberSetting PreserveRatio{section::HardCopy, "PreserveRatio"};

// Where windows were last closed.
inline constexpr PlaceSetting MainPlace{section::Main};
inline constexpr PlaceSetting AddImagesPlace{"AddImages"};
inline constexpr PlaceSetting CaptionWindowPlace{section::Caption};
inline constexpr PlaceSetting WipePatternsPlace{"WipePatterns"};
inline constexpr PlaceSetting FileBrowserPlace{"DriveAssignment"};
inline constexpr PlaceSetting PrintPlace{"PrintFrm"};
} // namespace key

// Colours are kept as numbers: red + 256 green + 65536 blue.
QColor ColourFromNumber(qint64 number);
qint64 NumberFromColour(const QColor& colour);

class Settings {
public:
    // prompts may be null (command-line tool): write failures are then only returned.
    explicit Settings(const QString& iniPath, PromptService* prompts = nullptr);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // The per-user file under the configuration folder ($XDG_CONFIG_HOME/quillon32/quillon32.ini).
    static QString defaultPath();

    QString get(const TextSetting& key) const;
    int get(const IntSetting& key) const;
    double get(const NumberSetting& key) const;
    bool get(const FlagSetting& key) const;
    QColor get(const ColourSetting& key) const;
    QPoint get(const PlaceSetting& key) const;
    // The place, when one was stored.
    std::optional<QPoint> stored(const PlaceSetting& key) const;
    template <typename T, typename F> bool isStored(const Setting<T, F>& key) const {
        return !textOf(key).isEmpty();
    }

    // Each write goes to the disk at once; false (and the user told) when it could not be.
    bool set(const TextSetting& key, const QString& text);
    bool set(const IntSetting& key, int value);
    bool set(const NumberSetting& key, double value);
    // A number kept as it was typed ("1.50" stays "1.50").
    bool set(const NumberSetting& key, const QString& typed);
    bool set(const FlagSetting& key, bool on);
    bool set(const ColourSetting& key, const QColor& colour);
    bool set(const PlaceSetting& key, QPoint place);
    // Stores "": the value reads as its fallback again.
    template <typename T, typename F> bool clear(const Setting<T, F>& key) {
        return put(key, QString());
    }

    // The main window's frame as stored (0 where nothing is), and its grid's column widths:
    // on a first start, widths that let each column be read.
    QRect mainWindowFrame() const;
    bool setMainWindowFrame(const QRect& frame);
    QList<int> gridColumnWidths(int columns) const;
    bool setGridColumnWidths(const QList<int>& widths);
    // The recent albums' entries 1 to 4 ("" where none is stored).
    QStringList recentAlbums() const;
    bool setRecentAlbums(const QStringList& entries);

    // A value's text exactly as the file holds it, for what reads the file as it is (tests,
    // a value that is not a setting of ours).
    QString storedText(const QString& section, const QString& name) const;
    bool storeText(const QString& section, const QString& name, const QString& text);

    QString filePath() const;
    void setPrompts(PromptService* prompts) { m_prompts = prompts; }

private:
    static QString nameOf(const char* name, int number);
    // Runs puts, then writes the file once; name is the setting named if that fails.
    bool inOneWrite(const std::function<void()>& puts, const QString& name);
    bool writeOut(const QString& name);
    template <typename T, typename F> QString textOf(const Setting<T, F>& key) const {
        return storedText(QLatin1String(key.section), nameOf(key.name, key.number));
    }
    template <typename T, typename F> bool put(const Setting<T, F>& key, const QString& text) {
        return storeText(QLatin1String(key.section), nameOf(key.name, key.number), text);
    }

    std::unique_ptr<QSettings> m_store;
    PromptService* m_prompts;
    bool m_private = false; // the file has been made the user's alone
    int m_holdWrites = 0;   // inside inOneWrite
};

} // namespace q32
