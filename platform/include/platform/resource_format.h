/*
 * Layout of the ".vtrsrc" section that carries a module's resources, as
 * written by the module's resource packer and read by FindResourceA.
 * All numbers are little-endian 32-bit.
 *
 *   header:  magic "VTRS", version (1), entry count
 *   entries: type id, name id, type name offset, data offset, data size
 *   then:    NUL-terminated type names and the resource data
 *
 * A numeric type has its id and a name offset of 0; a named type
 * ("REGISTRY", "TYPELIB") has id 0 and the offset of its name, counted
 * from the start of the section. Names of resources are always numeric.
 * Offsets and sizes are checked against the section before use.
 */
#ifndef PLATFORM_RESOURCE_FORMAT_H
#define PLATFORM_RESOURCE_FORMAT_H

#include <stdint.h>

#define VT_RSRC_SECTION ".vtrsrc"
#define VT_RSRC_MAGIC "VTRS"
#define VT_RSRC_VERSION 1u

typedef struct VtResourceHeader {
    char magic[4];
    uint32_t version;
    uint32_t count;
} VtResourceHeader;

typedef struct VtResourceEntry {
    uint32_t type_id;
    uint32_t name_id;
    uint32_t type_name_offset;
    uint32_t data_offset;
    uint32_t data_size;
} VtResourceEntry;

#endif /* PLATFORM_RESOURCE_FORMAT_H */
