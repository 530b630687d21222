#include "shell/VersionNames.h"

#include "app/LanguageTable.h"
#include "framework/DocumentString.h"
#include "tabs/TabTemplateIds.h"

namespace movalent {

std::wstring EngineVersionName(IEVERSION version) {
    return DocStringPart(LocalizedString(TemplateResourceForVersion(version)), DocStringField::DocumentName);
}

} // namespace movalent
