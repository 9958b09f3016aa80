#include "module/class_table.h"

#include "providers/classes.h"

namespace vantrel {

namespace {

const ClassInfo* const kClassTable[] = {
    &kDipDNSClass,       &kDipDNSObjClass,     &kDnsExitClass,    &kDnsExitViewClass,
    &kDyFiClass,         &kDyFiViewClass,      &kDynamClass,      &kDynamObjClass,
    &kDynupClass,        &kDynupObjClass,      &kEuroDynDnsClass, &kEuroDynDnsObjClass,
    &kGenGnuDIPObjClass, &kGenGnuDIPViewClass, &kGnuDIP2ObjClass, &kGnuDIP2ViewClass,
    &kWin2000Class,      &kWin2000ObjClass,
};

}  // namespace

std::span<const ClassInfo* const, kClassCount> ClassTable() {
    return kClassTable;
}

}  // namespace vantrel
