#pragma once

#include <QByteArray>
#include <QString>

#include <array>

namespace niv {

struct AppContext;

// The skin without a picture; as `SkinFile` it stands for "clear the picture".
inline QString noSkinName() {
    return QStringLiteral("skinnone");
}

// The six skins in the order of the skins dialog's buttons, the one without a picture first.
struct SkinChoice {
    const char* radio; // the dialog's radio button
    const char* name;  // the value of "Skin"
};
const std::array<SkinChoice, 6>& skinChoices();

// Whether `name` is exactly one of the five picture skins.
bool isPictureSkin(const QString& name);

// The picture file of a skin name: the program folder's "<name>.jpg" for a picture skin; the bare
// "skinnone" for any other text, so a stored path or ".." never names a file.
QString skinFileFor(const AppContext& ctx, const QString& name);

// The bytes of the picture `skinFile`; false when it is "skinnone" or cannot be read.
bool ReadSkinPicture(AppContext& ctx, const QString& skinFile, QByteArray& data);

} // namespace niv
