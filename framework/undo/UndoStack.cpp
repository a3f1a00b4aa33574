#include "Undo.h"

void pfUndoStack::Push(std::unique_ptr<pfUndo> pRecord)
{
    if (!pRecord)
        return;
    if (m_nPos - kSlots >= m_nOldest) {
        // The ring is full: the whole oldest group goes, so that no group is
        // ever left half undoable.
        const int nGroup = At(m_nPos).nGroup;
        while (m_nOldest < m_nPos) {
            ++m_nOldest;
            if (At(m_nOldest).nGroup != nGroup)
                break;
        }
    }
    Slot& slot = At(m_nPos);
    slot.pRecord = std::move(pRecord);
    slot.nGroup = m_nGroup;
    ++m_nPos;
    m_nLast = m_nPos - 1;
}

bool pfUndoStack::Undo()
{
    if (m_nPos <= m_nOldest)
        return false;
    const int nGroup = At(m_nPos - 1).nGroup;
    bool bSwapped = false;
    do {
        if (m_nPos <= m_nOldest)
            break;
        --m_nPos;
        if (pfUndo* pRecord = At(m_nPos).pRecord.get()) {
            pRecord->Swap();
            bSwapped = true;
        }
    } while (m_nPos > 0 && At(m_nPos - 1).nGroup == nGroup);
    return bSwapped;
}

bool pfUndoStack::Redo()
{
    if (m_nPos > m_nLast)
        return false;
    const int nGroup = At(m_nPos).nGroup;
    bool bSwapped = false;
    do {
        if (m_nPos > m_nLast)
            break;
        if (pfUndo* pRecord = At(m_nPos).pRecord.get()) {
            pRecord->Swap();
            bSwapped = true;
        }
        ++m_nPos;
    } while (At(m_nPos).nGroup == nGroup);
    return bSwapped;
}
