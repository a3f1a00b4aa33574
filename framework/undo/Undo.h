// undo/ holds the undo records and their history.
// Undo records and the 500-slot history ring with groups.
#pragma once

#include <array>
#include <memory>

class pfParameterBool;
class pfParameterFloat;
class pfParameterList;
class pfParameterRGB;
class pfParameterInt;
class pfParameterPosition;

class pfUndo {
public:
    virtual ~pfUndo() = default;
    // Exchanges the stored value with the parameter's current value.
    virtual void Swap() = 0;
};

class pfUndoParameterBool : public pfUndo {
public:
    explicit pfUndoParameterBool(pfParameterBool* pParameter);
    void Swap() override;

private:
    pfParameterBool* m_pParameter;
    bool m_bValue;
};

class pfUndoParameterFloat : public pfUndo {
public:
    explicit pfUndoParameterFloat(pfParameterFloat* pParameter);
    void Swap() override;

private:
    pfParameterFloat* m_pParameter;
    double m_fValue;
};

class pfUndoParameterList : public pfUndo {
public:
    explicit pfUndoParameterList(pfParameterList* pParameter);
    void Swap() override;

private:
    pfParameterList* m_pParameter;
    int m_nIndex;
};

class pfUndoParameterRGB : public pfUndo {
public:
    explicit pfUndoParameterRGB(pfParameterRGB* pParameter);
    void Swap() override;

private:
    pfParameterRGB* m_pParameter;
    double m_fRed;
    double m_fGreen;
    double m_fBlue;
};

class pfUndoParameterInt : public pfUndo {
public:
    explicit pfUndoParameterInt(pfParameterInt* pParameter);
    void Swap() override;

private:
    pfParameterInt* m_pParameter;
    int m_nValue;
};

class pfUndoParameterPosition : public pfUndo {
public:
    explicit pfUndoParameterPosition(pfParameterPosition* pParameter);
    void Swap() override;

private:
    pfParameterPosition* m_pParameter;
    double m_fX;
    double m_fY;
};

class pfUndoStack {
public:
    static constexpr int kSlots = 500;

    void Push(std::unique_ptr<pfUndo> pRecord);
    void NewGroup() { ++m_nGroup; }
    bool Undo();
    bool Redo();
    bool CanUndo() const { return m_nOldest < m_nPos; }
    bool CanRedo() const { return m_nLast >= m_nPos; }

private:
    struct Slot {
        std::unique_ptr<pfUndo> pRecord;
        int nGroup = -1;
    };
    Slot& At(int nIndex) { return m_Slots[nIndex % kSlots]; }

    std::array<Slot, kSlots> m_Slots;
    int m_nOldest = 0;
    int m_nLast = -1;
    int m_nPos = 0;
    int m_nGroup = 0;
};
