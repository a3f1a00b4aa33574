#include "framework/parameters/Parameter.h"
#include "framework/controls/ParameterUI.h"
#include "framework/parameters/Parameters.h"
#include "framework/undo/Undo.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class CountingBinding : public pfParameterUI {
public:
    void Update() override { ++m_nUpdates; }
    int m_nUpdates = 0;
};

void CountCallback(pfParameter*, void* pContext)
{
    ++*static_cast<int*>(pContext);
}

}  // namespace

TEST(ParameterModel, SettingAFloatToItsCurrentValueReportsNoChangeAndLeavesTheControl)
{
    pfParameterFloat parameter;
    CountingBinding binding;
    binding.SetParameter(&parameter);
    EXPECT_TRUE(parameter.SetValue(0.5));
    EXPECT_EQ(binding.m_nUpdates, 1);
    EXPECT_FALSE(parameter.SetValue(0.5));
    EXPECT_EQ(binding.m_nUpdates, 1);
    EXPECT_EQ(parameter.GetBinding(), &binding);
}

TEST(ParameterModel, NaNCountsAsEqualAndIsNeverStored)
{
    pfParameterFloat parameter;
    EXPECT_FALSE(parameter.SetValue(std::nan("")));
    EXPECT_EQ(parameter.GetValue(), 0.0);
}

TEST(ParameterModel, ValidateClampsOnlyToEnforcedBounds)
{
    pfParameterFloat parameter;
    parameter.SetMin(0.0, false);
    parameter.SetMax(2.0, false);
    parameter.SetValue(-5.0);
    parameter.Validate();
    EXPECT_EQ(parameter.GetValue(), -5.0);
    parameter.SetMin(0.0, true);
    parameter.Validate();
    EXPECT_EQ(parameter.GetValue(), 0.0);
    parameter.SetMax(2.0, true);
    parameter.SetValue(9.0);
    parameter.Validate();
    EXPECT_EQ(parameter.GetValue(), 2.0);
}

TEST(ParameterModel, ListRejectsOutOfRangeAndCurrentSelections)
{
    pfParameterList list;
    list.AddItem("a");
    list.AddItem("b");
    EXPECT_FALSE(list.SetSelection(0));
    EXPECT_FALSE(list.SetSelection(3));
    EXPECT_FALSE(list.SetSelection(1));
    EXPECT_TRUE(list.SetSelection(2));
    EXPECT_EQ(list.GetSelection(), 2);
    EXPECT_EQ(list.GetItem(1), "b");
    EXPECT_EQ(list.GetItem(list.GetCount()), "");
    EXPECT_EQ(list.GetItem(-1), "");
}

TEST(ParameterModel, BoolCallsItsCallbackOnEverySet)
{
    pfParameterBool button;
    int nCalls = 0;
    button.SetCallback(CountCallback, &nCalls);
    EXPECT_FALSE(button.SetValue(false));
    EXPECT_EQ(nCalls, 1);
    EXPECT_TRUE(button.SetValue(true));
    EXPECT_EQ(nCalls, 2);
}

TEST(ParameterModel, NotUndoableParametersChangeButReportFalse)
{
    pfParameterFloat parameter;
    parameter.SetUndoable(false);
    EXPECT_FALSE(parameter.SetValue(3.0));
    EXPECT_EQ(parameter.GetValue(), 3.0);
    pfParameterRGB color;
    color.SetUndoable(false);
    EXPECT_FALSE(color.SetValue(0.1, 0.2, 0.3));
    double r, g, b;
    color.GetValue(r, g, b);
    EXPECT_EQ(g, 0.2);
}

TEST(ParameterModel, ColourComparesAllComponents)
{
    pfParameterRGB color;
    EXPECT_FALSE(color.SetValue(1.0, 1.0, 1.0));
    EXPECT_TRUE(color.SetValue(1.0, 1.0, 0.5));
}

TEST(ParameterModel, CollectionKeepsRegistrationOrderAndValidatesAll)
{
    pfParameterFloat a, b;
    a.SetName("A");
    b.SetName("B");
    b.SetMin(1.0, true);
    pfParameters parameters;
    parameters.Add(&a);
    parameters.Add(&b);
    EXPECT_EQ(parameters.GetParameterCount(), 2);
    EXPECT_EQ(parameters.GetParameter(1)->GetName(), "B");
    EXPECT_EQ(parameters.GetParameter(2), nullptr);
    EXPECT_EQ(parameters.GetParameter(-1), nullptr);
    parameters.ValidateAll();
    EXPECT_EQ(b.GetValue(), 1.0);
}

TEST(ParameterModel, UndoRecordsCaptureTheValueBeforeTheChange)
{
    pfParameterList list;
    list.AddItem("a");
    list.AddItem("b");
    std::unique_ptr<pfUndo> pUndo = list.CreateUndo();
    list.SetSelection(2);
    pUndo->Swap();
    EXPECT_EQ(list.GetSelection(), 1);
    pUndo->Swap();
    EXPECT_EQ(list.GetSelection(), 2);
}
