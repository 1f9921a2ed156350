#pragma once
// The Export Web Gallery window: gathers the gallery's options, runs the export as a GalleryJob
// with progress and Cancel, and says how it went. Not modal by a nested loop: it is shown
// application-modal and deletes itself when closed.

#include "output/gallery/GalleryJob.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace q32 {

class GalleryWindow : public QDialog {
    Q_OBJECT
public:
    // album must stay open while the window is shown; query is the order or filter in force.
    GalleryWindow(AlbumDb& album, AlbumQuery query, PromptService& prompts,
                  QWidget* parent = nullptr);
    ~GalleryWindow() override;

    GalleryOptions options() const;
    // Asks about a protected album, then starts the export; false when it did not start.
    bool startExport();
    GalleryJob* job() const { return m_job.get(); }

protected:
    void reject() override;

private:
    void chooseFolder();
    void exportFinished();
    void setRunning(bool running);

    AlbumDb& m_album;
    AlbumQuery m_query;
    PromptService& m_prompts;
    std::unique_ptr<GalleryJob> m_job;
    QLineEdit* m_folder;
    QLineEdit* m_title;
    QSpinBox* m_thumbnailSize;
    QSpinBox* m_pictureSize;
    QCheckBox* m_descriptions;
    QCheckBox* m_keywords;
    QCheckBox* m_dates;
    QCheckBox* m_properties;
    QCheckBox* m_copyOriginals;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_export;
    QPushButton* m_cancel;
};

// Opens the window over parent, application-modal; it deletes itself when closed.
GalleryWindow* ShowGalleryWindow(AlbumDb& album, const AlbumQuery& query, PromptService& prompts,
                                 QWidget* parent);

} // namespace q32
