#pragma once

// A class's run-time record: its name, its base class's record and how it is
// stored. Enough to ask "is this object of that class or derived from it".
struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;
    unsigned int m_wSchema;  // 0xFFFF: not serialisable

    bool IsDerivedFrom(const CRuntimeClass* base) const
    {
        for (const CRuntimeClass* record = this; record; record = record->m_pBaseClass) {
            if (record == base)
                return true;
        }
        return false;
    }
};
