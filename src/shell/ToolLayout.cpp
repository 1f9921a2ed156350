#include "shell/ToolLayout.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

// The layout lives in a resource of this static library; register it before first use.
static void initLayoutResource() {
    Q_INIT_RESOURCE(quillon32);
}

namespace q32 {
namespace {

constexpr char kFormat[] = "quillon32-toolbar-layout";

const QList<std::pair<ToolKind, QString>>& kindNames() {
    static const QList<std::pair<ToolKind, QString>> names = {
        {ToolKind::Button, QStringLiteral("button")},
        {ToolKind::State, QStringLiteral("state")},
        {ToolKind::Menu, QStringLiteral("menu")},
        {ToolKind::DropDown, QStringLiteral("dropdown")}};
    return names;
}

QString kindName(ToolKind k) {
    for (const auto& [kind, name] : kindNames())
        if (kind == k)
            return name;
    return QStringLiteral("button");
}

std::optional<ToolKind> kindFromName(const QString& n) {
    for (const auto& [kind, name] : kindNames())
        if (name == n)
            return kind;
    return std::nullopt;
}

QStringList toStringList(const QJsonValue& v) {
    QStringList out;
    for (const auto& e : v.toArray())
        out << e.toString();
    return out;
}

std::optional<ToolLayout> parse(const QByteArray& bytes, QString* error) {
    auto fail = [error](const QString& why) -> std::optional<ToolLayout> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &pe);
    if (pe.error != QJsonParseError::NoError)
        return fail(pe.errorString());
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(kFormat))
        return fail(QStringLiteral("not a toolbar layout"));

    ToolLayout layout;
    QSet<QString> ids;
    for (const auto& v : root.value(QStringLiteral("tools")).toArray()) {
        const QJsonObject o = v.toObject();
        Tool t;
        t.id = o.value(QStringLiteral("id")).toString();
        t.caption = o.value(QStringLiteral("caption")).toString();
        t.tip = o.value(QStringLiteral("tip")).toString();
        const auto kind =
            kindFromName(o.value(QStringLiteral("kind")).toString(QStringLiteral("button")));
        if (t.id.isEmpty() || !kind || ids.contains(t.id))
            return fail(QStringLiteral("bad tool entry %1").arg(t.id));
        t.kind = *kind;
        t.group = o.value(QStringLiteral("group")).toString();
        t.checked = o.value(QStringLiteral("checked")).toInt() == 1;
        t.icon = o.value(QStringLiteral("icon")).toString();
        ids.insert(t.id);
        layout.tools << t;
    }
    layout.menuBar = toStringList(root.value(QStringLiteral("menubar")));
    const QJsonObject menus = root.value(QStringLiteral("menus")).toObject();
    for (auto it = menus.begin(); it != menus.end(); ++it)
        layout.menus.insert(it.key(), toStringList(it.value()));
    layout.toolBar = toStringList(root.value(QStringLiteral("toolbar")));

    // Every place must name a known tool, or the layout is not one we wrote.
    QStringList referenced = layout.menuBar + layout.toolBar;
    for (auto it = layout.menus.cbegin(); it != layout.menus.cend(); ++it)
        referenced << it.key() << it.value();
    for (const QString& id : referenced)
        if (id != QLatin1String("-") && !ids.contains(id))
            return fail(QStringLiteral("unknown tool %1").arg(id));
    return layout;
}

} // namespace

const Tool* ToolLayout::find(const QString& id) const {
    for (const Tool& t : tools)
        if (t.id == id)
            return &t;
    return nullptr;
}

Tool* ToolLayout::find(const QString& id) {
    return const_cast<Tool*>(std::as_const(*this).find(id));
}

std::optional<ToolLayout> ToolLayout::load(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return std::nullopt;
    }
    return parse(f.readAll(), error);
}

bool ToolLayout::save(const QString& path) const {
    QJsonArray toolArray;
    for (const Tool& t : tools) {
        QJsonObject o{{QStringLiteral("id"), t.id},
                      {QStringLiteral("caption"), t.caption},
                      {QStringLiteral("tip"), t.tip},
                      {QStringLiteral("kind"), kindName(t.kind)}};
        if (!t.group.isEmpty())
            o.insert(QStringLiteral("group"), t.group);
        if (t.kind == ToolKind::State)
            o.insert(QStringLiteral("checked"), t.checked ? 1 : 0);
        if (!t.icon.isEmpty())
            o.insert(QStringLiteral("icon"), t.icon);
        toolArray << o;
    }
    QJsonObject menuObject;
    for (auto it = menus.cbegin(); it != menus.cend(); ++it)
        menuObject.insert(it.key(), QJsonArray::fromStringList(it.value()));
    const QJsonObject root{{QStringLiteral("format"), QLatin1String(kFormat)},
                           {QStringLiteral("version"), 1},
                           {QStringLiteral("tools"), toolArray},
                           {QStringLiteral("menubar"), QJsonArray::fromStringList(menuBar)},
                           {QStringLiteral("menus"), menuObject},
                           {QStringLiteral("toolbar"), QJsonArray::fromStringList(toolBar)}};
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner); // the user's alone
    f.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    return f.commit();
}

namespace {

// Puts id into list after the entry that comes before it in model (and after the separators
// between them there), or first when none does.
void insertLikeModel(QStringList& list, const QStringList& model, const QString& id) {
    const qsizetype at = model.indexOf(id);
    int separators = 0;
    for (qsizetype i = at - 1; i >= 0; --i) {
        if (model[i] == QLatin1String("-")) {
            ++separators;
            continue;
        }
        qsizetype place = list.indexOf(model[i]);
        if (place < 0)
            continue;
        ++place;
        while (separators-- > 0 && place < list.size() && list[place] == QLatin1String("-"))
            ++place;
        list.insert(place, id);
        return;
    }
    list.prepend(id);
}

} // namespace

void ToolLayout::addMissingTools(const ToolLayout& complete) {
    QStringList added;
    for (const Tool& t : complete.tools) {
        if (find(t.id))
            continue;
        tools << t;
        added << t.id;
    }
    for (auto it = complete.menus.cbegin(); it != complete.menus.cend(); ++it) {
        if (!menus.contains(it.key())) {
            menus.insert(it.key(), it.value());
            continue;
        }
        QStringList& entries = menus[it.key()];
        for (const QString& id : it.value())
            if (added.contains(id))
                insertLikeModel(entries, it.value(), id);
    }
    for (const QString& id : complete.menuBar)
        if (added.contains(id))
            insertLikeModel(menuBar, complete.menuBar, id);
    for (const QString& id : complete.toolBar)
        if (added.contains(id))
            insertLikeModel(toolBar, complete.toolBar, id);
}

ToolLayout ToolLayout::factory() {
    initLayoutResource();
    QFile f(QStringLiteral(":/quillon32/Database (default).atb"));
    f.open(QIODevice::ReadOnly);
    QString error;
    auto layout = parse(f.readAll(), &error);
    Q_ASSERT_X(layout, "ToolLayout::factory", qPrintable(error));
    return layout ? *layout : ToolLayout{};
}

} // namespace q32
