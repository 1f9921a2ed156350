#pragma once
// The add run of the Add Images window ("&Add"): opens or creates the album, stores every listed
// file, lets "&Cancel" stop it after any stored item, offers to protect the album, and closes the
// window. The buttons that change the list are disabled while it runs.

#include "album/AddRecord.h"

#include <QObject>

namespace q32 {

class AddImagesController;

class AddImagesRun : public QObject, private AddRunSink {
    Q_OBJECT
public:
    explicit AddImagesRun(AddImagesController& window);

    void start();
    bool running() const { return m_running; }
    // The rows the album holds after the run: those it had, and those the run stored.
    qint64 albumRows() const { return m_albumRows; }

signals:
    // False in step 1 of the run, true again when the window stays open after it.
    void buttonsEnabled(bool on);
    void selectAllCaption(const QString& caption);
    // The entry being stored, so the list shows it selected.
    void entrySelected(int row);

private:
    enum class Next { Finish, End }; // step 6 or step 8 of the run
    Next storeAll(AlbumDb& album, bool& stored);
    void setTitle(const QString& title) override;

    AddImagesController& m_window;
    bool m_running = false;
    qint64 m_albumRows = 0;
    int m_readOnlyFailures = 0; // the window's count: the second read-only failure ends it
};

} // namespace q32
