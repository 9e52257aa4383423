#include "app/Uskins.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/WinPath.h"

namespace niv {

const std::array<SkinChoice, 6>& skinChoices() {
    static const std::array<SkinChoice, 6> kChoices{{{"RadNone", "skinnone"},
                                                     {"RadShark", "skinshark"},
                                                     {"RadSunset", "skinsunset"},
                                                     {"RadWildlife", "skinwildlife"},
                                                     {"RadNYC", "skinnyc"},
                                                     {"RadOcean", "skinocean"}}};
    return kChoices;
}

bool isPictureSkin(const QString& name) {
    for (std::size_t i = 1; i < skinChoices().size(); ++i)
        if (name == QLatin1String(skinChoices()[i].name)) return true;
    return false;
}

QString skinFileFor(const AppContext& ctx, const QString& name) {
    if (!isPictureSkin(name)) return noSkinName();
    return includeTrailingBackslash(ctx.g.ExeFolder) + name + QStringLiteral(".jpg");
}

bool ReadSkinPicture(AppContext& ctx, const QString& skinFile, QByteArray& data) {
    if (skinFile == noSkinName() || !FileExists(ctx.machine, skinFile)) return false;
    return ReadFileBytes(ctx.machine, skinFile, data);
}

} // namespace niv
