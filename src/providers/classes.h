// The rows of the class table, one per class, defined in the provider files.
#pragma once

#include "contract/class_info.h"

namespace vantrel {

extern const ClassInfo kDipDNSClass;
extern const ClassInfo kDipDNSObjClass;
extern const ClassInfo kDnsExitClass;
extern const ClassInfo kDnsExitViewClass;
extern const ClassInfo kDyFiClass;
extern const ClassInfo kDyFiViewClass;
extern const ClassInfo kDynamClass;
extern const ClassInfo kDynamObjClass;
extern const ClassInfo kDynupClass;
extern const ClassInfo kDynupObjClass;
extern const ClassInfo kEuroDynDnsClass;
extern const ClassInfo kEuroDynDnsObjClass;
extern const ClassInfo kGenGnuDIPObjClass;
extern const ClassInfo kGenGnuDIPViewClass;
extern const ClassInfo kGnuDIP2ObjClass;
extern const ClassInfo kGnuDIP2ViewClass;
extern const ClassInfo kWin2000Class;
extern const ClassInfo kWin2000ObjClass;

}  // namespace vantrel
