#pragma once
// The Add Images window without its widgets: the image folder and its file box, the list of
// files to add, the type boxes, the file information, and the search, scanner and add run
// (each in a class of its own). It asks through the prompt service and tells the window what to
// show through signals, so every flow runs headless in the tests.

#include "album/addimages/AddImagesInfo.h"
#include "album/scan/DirectoryScan.h"

#include <QMap>
#include <QObject>
#include <QStringList>
#include <memory>

class QItemSelectionModel;
class QStringListModel;

namespace q32 {

class AddImagesList;
class AddImagesRun;
class AddImagesScanner;
class AddImagesSearch;
class PromptService;
class Settings;
struct ProgramState;

class AddImagesController : public QObject {
    Q_OBJECT
public:
    AddImagesController(ProgramState& state, Settings& settings, PromptService& prompts,
                        QObject* parent = nullptr);
    ~AddImagesController() override;

    // Opening the window. files: pictures named on the command line; they become the list and
    // the first is selected.
    void load(const QStringList& files = {});
    bool loaded() const { return m_loaded; }

    // The album the run adds to; created by the first "&Add" when it does not exist.
    const QString& albumPath() const { return m_albumPath; }
    void setAlbumPath(const QString& path) { m_albumPath = path; }
    // The file the preview shows (a listed file, or the scanner's last page).
    const QString& currentImagePath() const { return m_currentImagePath; }
    void setCurrentImagePath(const QString& path) { m_currentImagePath = path; }

    ProgramState& state() { return m_state; }
    Settings& settings() { return m_settings; }
    PromptService& prompts() { return m_prompts; }
    AddImagesSearch& search() { return *m_search; }
    AddImagesRun& run() { return *m_run; }
    AddImagesScanner& scanner() { return *m_scanner; }

    // The file box: the current image folder (ending in "/") filtered by the file pattern.
    const QString& folder() const { return m_folder; }
    QStringListModel* folderFiles() const { return m_folderFiles; }
    QItemSelectionModel* folderSelection() const { return m_folderSelection; }
    QString folderFilePath(int row) const;
    const QString& filePattern() const { return m_filePattern; }
    void pointFileBoxAt(const QString& folder, const QString& pattern);
    // The pattern box ("File To Search For:"); empty means the default pattern. The file box
    // follows it as it is typed.
    void setPatternText(const QString& text);
    const QString& patternText() const { return m_patternText; }
    // FilesPattern, the ticked type boxes; with none ticked (or none chosen yet) every kind the
    // program reads.
    QString defaultPattern() const;
    // The pattern box's text, else the default pattern.
    QString searchPattern() const;
    // Keeps the current image folder as AddImgFromDir.
    void storeFolder();

    // The list of files to add.
    AddImagesList* list() const { return m_list; }
    QItemSelectionModel* listSelection() const { return m_listSelection; }
    void addFolderFile(int row);
    void addSelectedFiles();
    void addAllFiles();
    void removeEntry(int row);
    void clearList();
    void retainSelected();
    void changeFolder();
    // Files and folders dropped from a file manager: a folder gives its files that match the
    // pattern (and those of its subfolders when Recursive is on).
    void addDropped(const QStringList& paths);
    // Files of the folders added (Select All, Search, a dropped folder) that the pattern left
    // out, with the reason, by path; the add run's summary names them.
    void noteLeftOut(const QList<LeftOutFile>& files, qint64 count, const QString& pattern);
    // Those not in the list after all, and how many more there were than are kept.
    QList<QPair<QString, QString>> leftOut() const;
    qint64 leftOutNotKept() const { return m_leftOutNotKept; }

    bool recursive() const { return m_recursive; }
    // A click on "Recursive": stored at once.
    void setRecursive(bool on);
    // "Scan &Drive" turns the option on for its run only; nothing is stored.
    void showRecursive(bool on);
    // "Skip pictures already in the album": a file whose bytes the album holds is not added.
    // Stored at once, like Recursive.
    bool skipDuplicates() const { return m_skipDuplicates; }
    void setSkipDuplicates(bool on);
    const QList<bool>& typeBoxes() const { return m_typeBoxes; }
    void typeBoxClicked(int box, bool on);

    // Fills the information fields and asks for the preview. A click reports a file it cannot
    // read; the add run has its own messages for that.
    enum class Reporting { Messages, Quiet };
    void showImageInfo(const QString& path, Reporting reporting = Reporting::Messages);
    void showListEntry(int row);

    const QString& title() const { return m_title; }
    void setTitle(const QString& title);

    // "&Cancel", and the frame's close box. While an add run goes on they only stop it;
    // returns whether the window may close now.
    bool cancel();
    bool closeBoxClicked();
    // The scanner's pages ("*.scf" in AppDir) live until the run ends or the window is cancelled.
    void deleteScannerFiles();

signals:
    void titleChanged(const QString& title);
    void folderLabelChanged(const QString& text);
    void typeBoxesChanged();
    void recursiveChanged(bool on);
    void skipDuplicatesChanged(bool on);
    void detailsShown(const ImageDetails& details);
    void detailsHidden();
    void previewRequested(const QString& path);
    void previewHidden();
    void selectAllEnabled(bool on);
    void closeRequested();

private:
    void titleForListCount();
    void showListCount();
    void showClipDetails(quint64 generation, const ImageDetails& details);

    ProgramState& m_state;
    Settings& m_settings;
    PromptService& m_prompts;
    QString m_albumPath;
    QString m_currentImagePath;
    QString m_folder;
    QString m_filePattern;
    QString m_patternText;
    QMap<QString, QString> m_leftOut; // path -> why it was left out
    qint64 m_leftOutNotKept = 0;
    QString m_title;
    bool m_recursive = false;
    bool m_skipDuplicates = false;
    bool m_loaded = false;
    bool m_settingBoxes = false;
    QList<bool> m_typeBoxes;
    QStringListModel* m_folderFiles;
    QItemSelectionModel* m_folderSelection;
    AddImagesList* m_list;
    QItemSelectionModel* m_listSelection;
    quint64 m_infoGeneration = 0;
    std::unique_ptr<AddImagesSearch> m_search;
    std::unique_ptr<AddImagesRun> m_run;
    std::unique_ptr<AddImagesScanner> m_scanner;
};

} // namespace q32
