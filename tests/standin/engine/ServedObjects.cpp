#include "standin/engine/ServedObjects.h"

#include "standin/StandInBrowser.h"
#include "standin/engine/ClassTable.h"
#include "standin/engine/StandInObject.h"
#include "standin/engine/ThisModule.h"
#include "standin/engine/browser/BrowserControl.h"
#include "standin/engine/document/StandInDocument.h"

namespace movalent::standin {

HRESULT CreateServedObject(const CLSID& clsid, REFIID iid, void** result) {
    const EngineModule own = ThisModuleIdentity().module;
    if (own == EngineModule::Browser && SameFirstFields(clsid, kClsidWebBrowser))
        return CreateBrowserControl(clsid, iid, result);
    if (own == EngineModule::Mshtml && SameFirstFields(clsid, kClsidHtmlDocument))
        return CreateStandInDocument(clsid, iid, result);
    return CreateStandInObject(clsid, iid, result);
}

} // namespace movalent::standin
