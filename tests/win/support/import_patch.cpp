#include "import_patch.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

void Store(void** slot, void* value)
{
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// The import address table slot of dll!function in the main program.
void** FindSlot(const char* dll, const char* function)
{
    BYTE* base = (BYTE*)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* import = (IMAGE_IMPORT_DESCRIPTOR*)(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        if (lstrcmpiA((const char*)(base + import->Name), dll) != 0)
            continue;
        IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + import->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const IMAGE_IMPORT_BY_NAME* name = (IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
            if (strcmp((const char*)name->Name, function) == 0)
                return (void**)&slots->u1.Function;
        }
    }
    return nullptr;
}

// One patched slot, put back when the patch goes.
class SlotPatch {
public:
    SlotPatch(void** slot, void* replacement) : slot_(slot), original_(*slot) { Store(slot_, replacement); }
    ~SlotPatch() { Store(slot_, original_); }
    SlotPatch(const SlotPatch&) = delete;
    SlotPatch& operator=(const SlotPatch&) = delete;
    void* Original() const { return original_; }

private:
    void** slot_;
    void* original_;
};

std::map<std::string, std::unique_ptr<SlotPatch>>& Patches()
{
    static std::map<std::string, std::unique_ptr<SlotPatch>> patches;
    return patches;
}

}  // namespace

bool Patch(const char* dll, const char* function, void* replacement)
{
    Patches().erase(function);  // the slot holds the original again
    void** slot = FindSlot(dll, function);
    if (!slot)
        return false;
    Patches()[function] = std::make_unique<SlotPatch>(slot, replacement);
    return true;
}

void RemovePatches() { Patches().clear(); }

void* OriginalOf(const char* function) { return Patches().at(function)->Original(); }
