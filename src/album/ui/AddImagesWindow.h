#pragma once
// The Add Images window ("AddImages"): the widgets over AddImagesController. Object names are the
// controls' names, so tests find every button.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;

namespace q32 {

class AddImagesController;
class AddImagesPreview;
class PromptService;
class Settings;
struct ImageDetails;
struct OptionFlags;

// How the window ended.
struct AddImagesResult {
    // Rows in the album after the last run; 0 when none ran. Only a run counts rows, and a run
    // that counted any closes the window.
    qint64 albumRows = 0;
};

class AddImagesWindow : public QDialog {
    Q_OBJECT
public:
    AddImagesWindow(const QString& appDir, const OptionFlags& options, Settings& settings,
                    PromptService& prompts, const QString& albumPath, QWidget* parent = nullptr);
    ~AddImagesWindow() override;

    // Loads the window (with pictures from outside listed, the first selected) and shows it
    // modally; the result tells the caller how it ended.
    AddImagesResult showModal(const QStringList& pictures = {});
    void load(const QStringList& pictures = {});

    AddImagesController& controller() { return *m_controller; }
    AddImagesPreview* preview() const { return m_preview; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // Escape: as "&Cancel"
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void connectController();
    void showDetails(const ImageDetails& details);
    void clearDetails();
    void setListButtonsEnabled(bool on);
    void searchRunning(bool running);
    void scannerSettings();
    void savePosition();
    void finish();

    Settings& m_settings;
    PromptService& m_prompts;
    AddImagesController* m_controller;

    QLabel* m_folderLabel;
    QListView* m_fileBox;
    QListView* m_list;
    QLineEdit* m_patternBox;
    QLabel* m_typeText;
    QLabel* m_sizeText;
    QLabel* m_resolutionText;
    QLabel* m_depthText;
    QList<QLabel*> m_detailLabels;
    AddImagesPreview* m_preview;
    QPushButton* m_select;
    QPushButton* m_selectAll;
    QPushButton* m_add;
    QPushButton* m_cancel;
    QPushButton* m_scan;
    QPushButton* m_scanSettings;
    QPushButton* m_search[2];
    QCheckBox* m_recursive;
    QCheckBox* m_skipDuplicates;
    QPushButton* m_clearList;
    QPushButton* m_retain;
    QPushButton* m_changeFolder;
    QList<QCheckBox*> m_typeBoxes;
    QProgressBar* m_scanProgress;
    bool m_finishing = false;
};

} // namespace q32
