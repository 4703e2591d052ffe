#include "application_title.h"

#include "core_text.h"
#include "os.h"

QString ApplicationTitle(const std::string& executablePath) {
    QString name = FromUtf8(os::NamePart(executablePath));
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        name.truncate(dot);
    }
    if (name.isEmpty()) {
        return name;
    }
    return name.left(1) + name.mid(1).toLower();
}
