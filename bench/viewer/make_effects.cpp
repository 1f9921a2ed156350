// Writes the transition catalogue "Effects.txt": make_effects data/share/Effects.txt
#include "viewer/EffectsCatalogue.h"

#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_effects FILE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    const QByteArray text = q32::EffectsCatalogueText().toUtf8();
    file.write(text);
    std::printf("%lld entries\n", static_cast<long long>(text.count('\n')));
    return 0;
}
