#pragma once
// "WipePatterns": the catalogue on the left, the patterns chosen for the slideshow on the right,
// each with its delay.

#include <QDialog>
#include <functional>

class QCheckBox;
class QListWidget;

namespace q32 {

class PromptService;
class Settings;
class WipeSelection;
struct SlideshowValues;

class WipePatternsWindow : public QDialog {
    Q_OBJECT
public:
    WipePatternsWindow(WipeSelection& selection, const QString& appDir, SlideshowValues& values,
                       Settings& settings, PromptService& prompts, QWidget* parent = nullptr);

    // Where the loading shows its progress (the viewer's caption).
    void setCaptionSink(std::function<void(const QString&)> sink) { m_caption = std::move(sink); }
    // Loads both lists (when not loaded yet) and shows the window modally.
    void run();

    QListWidget* available() const { return m_availableList; }
    QListWidget* selected() const { return m_selectedList; }
    QCheckBox* delayBox() const { return m_check; }

    void selectCatalogueEntry(int row);  // double click on the left
    void selectionEntryClicked(int row); // double click on the right
    void selectAll();
    void deselectAll();
    void save();   // "&OK"
    void cancel(); // "&Cancel"
    // Stops a loading under way (the viewer was closed meanwhile): run() then shows nothing.
    void stop() { m_stopped = true; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void storePosition();

    WipeSelection& m_selection;
    QString m_appDir; // where the selection file lives
    SlideshowValues& m_values;
    Settings& m_settings;
    PromptService& m_prompts;
    std::function<void(const QString&)> m_caption;
    QListWidget* m_availableList;
    QListWidget* m_selectedList;
    QCheckBox* m_check;
    bool m_stopped = false;
};

} // namespace q32
