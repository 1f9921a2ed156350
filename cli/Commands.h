#pragma once
// The commands of q32, one file each; main.cpp holds the table that names them.

#include <QStringList>

class QCommandLineParser;

namespace q32::cli {

int createCommand(const QStringList& args);
int addCommand(const QStringList& args);
int listCommand(const QStringList& args);
int extractCommand(const QStringList& args);
int exportCommand(const QStringList& args);
// q32 export ALBUM --web DIR, its options already parsed.
int exportWebGallery(const QCommandLineParser& p);
int editCommand(const QStringList& args);
int infoCommand(const QStringList& args);
int compactCommand(const QStringList& args);
int repairCommand(const QStringList& args);
int passwordCommand(const QStringList& args);
int duplicatesCommand(const QStringList& args);
int similarCommand(const QStringList& args);
int thumbnailCommand(const QStringList& args);
int copyCommand(const QStringList& args);

} // namespace q32::cli
