#pragma once
// The command table as data: every tool with its caption, tip, kind and checked state, the
// menus and the button bar. "Database.atb" and "Database (default).atb" hold it as JSON.

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace q32 {

enum class ToolKind { Button, State, Menu, DropDown };

struct Tool {
    QString id;
    QString caption;
    QString tip;
    ToolKind kind = ToolKind::Button;
    QString group; // exclusive group name; empty for none
    bool checked = false;
    QString icon; // icon theme name
};

struct ToolLayout {
    QList<Tool> tools;                 // every tool, each id once
    QStringList menuBar;               // menu tool ids in order
    QHash<QString, QStringList> menus; // menu id -> entries ("-" is a separator)
    QStringList toolBar;               // button bar, in order

    const Tool* find(const QString& id) const;
    Tool* find(const QString& id);

    static std::optional<ToolLayout> load(const QString& path, QString* error = nullptr);
    // Written to a temporary file and renamed, so a killed process leaves the old layout.
    bool save(const QString& path) const;
    // Adds the tools of complete that this layout lacks (one saved by an older version of the
    // program), each in its menus and on the bar after the entry it follows in complete.
    void addMissingTools(const ToolLayout& complete);

    // The factory layout built into the program (the same text as "Database (default).atb").
    static ToolLayout factory();
};

} // namespace q32
