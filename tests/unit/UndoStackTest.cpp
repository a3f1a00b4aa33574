#include "framework/parameters/Parameter.h"
#include "framework/undo/Undo.h"

#include <gtest/gtest.h>

namespace {

// Sets the parameter the way the dialog does: record first, push on change.
void Change(pfUndoStack& stack, pfParameterFloat& parameter, double fValue)
{
    std::unique_ptr<pfUndo> pUndo = parameter.CreateUndo();
    if (parameter.SetValue(fValue))
        stack.Push(std::move(pUndo));
}

void Action(pfUndoStack& stack, pfParameterFloat& parameter, double fValue)
{
    Change(stack, parameter, fValue);
    stack.NewGroup();
}

}  // namespace

TEST(UndoStack, EmptyHistoryHasNothingToUndoOrRedo)
{
    pfUndoStack stack;
    EXPECT_FALSE(stack.CanUndo());
    EXPECT_FALSE(stack.CanRedo());
    EXPECT_FALSE(stack.Undo());
    EXPECT_FALSE(stack.Redo());
    stack.Push(nullptr);
    EXPECT_FALSE(stack.CanUndo());
}

TEST(UndoStack, UndoTwiceAndRedoTwiceReturnsToTheNewestValue)
{
    pfUndoStack stack;
    pfParameterFloat parameter;
    Action(stack, parameter, 1.0);
    Action(stack, parameter, 2.0);
    EXPECT_TRUE(stack.Undo());
    EXPECT_EQ(parameter.GetValue(), 1.0);
    EXPECT_TRUE(stack.Undo());
    EXPECT_EQ(parameter.GetValue(), 0.0);
    EXPECT_FALSE(stack.CanUndo());
    EXPECT_TRUE(stack.Redo());
    EXPECT_TRUE(stack.Redo());
    EXPECT_EQ(parameter.GetValue(), 2.0);
    EXPECT_FALSE(stack.CanRedo());
}

TEST(UndoStack, AGroupIsUndoneAndRedoneAsOneStep)
{
    pfUndoStack stack;
    pfParameterFloat a, b, c, d, e;
    pfParameterFloat* all[] = {&a, &b, &c, &d, &e};
    for (pfParameterFloat* p : all)
        Change(stack, *p, 5.0);
    stack.NewGroup();
    EXPECT_TRUE(stack.Undo());
    for (pfParameterFloat* p : all)
        EXPECT_EQ(p->GetValue(), 0.0);
    EXPECT_FALSE(stack.CanUndo());
    EXPECT_TRUE(stack.Redo());
    for (pfParameterFloat* p : all)
        EXPECT_EQ(p->GetValue(), 5.0);
}

TEST(UndoStack, ANewChangeAfterUndoDiscardsTheRedoHistory)
{
    pfUndoStack stack;
    pfParameterFloat parameter;
    Action(stack, parameter, 1.0);
    Action(stack, parameter, 2.0);
    stack.Undo();
    Action(stack, parameter, 3.0);
    EXPECT_FALSE(stack.CanRedo());
    EXPECT_TRUE(stack.Undo());
    EXPECT_EQ(parameter.GetValue(), 1.0);
}

TEST(UndoStack, FiveHundredActionsStayUndoableAndTheFiveHundredAndFirstDropsTheOldest)
{
    pfUndoStack stack;
    pfParameterFloat parameter;
    for (int i = 1; i <= 500; ++i)
        Action(stack, parameter, i);
    int nUndone = 0;
    while (stack.Undo())
        ++nUndone;
    EXPECT_EQ(nUndone, 500);
    EXPECT_EQ(parameter.GetValue(), 0.0);

    pfUndoStack full;
    pfParameterFloat other;
    for (int i = 1; i <= 501; ++i)
        Action(full, other, i);
    nUndone = 0;
    while (full.Undo())
        ++nUndone;
    EXPECT_EQ(nUndone, 500);
    EXPECT_EQ(other.GetValue(), 1.0);
}

TEST(UndoStack, AFullRingDropsTheWholeOldestGroupAtOnce)
{
    pfUndoStack stack;
    pfParameterFloat first, second, third, parameter;
    Change(stack, first, 1.0);
    Change(stack, second, 1.0);
    Change(stack, third, 1.0);
    stack.NewGroup();
    for (int i = 1; i <= 497; ++i)
        Action(stack, parameter, i);
    // 500 records: one more overwrites the first slot and drops its group.
    Action(stack, parameter, 1000.0);
    int nUndone = 0;
    while (stack.Undo())
        ++nUndone;
    EXPECT_EQ(nUndone, 498);
    EXPECT_EQ(first.GetValue(), 1.0);
    EXPECT_EQ(second.GetValue(), 1.0);
    EXPECT_EQ(third.GetValue(), 1.0);
    EXPECT_EQ(parameter.GetValue(), 0.0);
}

TEST(UndoStack, RecordsOfEveryTypeSwapWithTheirParameter)
{
    pfParameterBool flag;
    pfParameterRGB color;
    pfParameterInt number;
    pfParameterPosition position;
    std::unique_ptr<pfUndo> undos[] = {flag.CreateUndo(), color.CreateUndo(), number.CreateUndo(),
                                       position.CreateUndo()};
    flag.SetValue(true);
    color.SetValue(0.1, 0.2, 0.3);
    number.SetValue(7);
    position.SetValue(0.5, 0.25);
    for (auto& pUndo : undos)
        pUndo->Swap();
    double r, g, b, x, y;
    color.GetValue(r, g, b);
    position.GetValue(x, y);
    EXPECT_FALSE(flag.GetValue());
    EXPECT_EQ(r + g + b, 3.0);
    EXPECT_EQ(number.GetValue(), 0);
    EXPECT_EQ(x + y, 0.0);
    for (auto& pUndo : undos)
        pUndo->Swap();
    color.GetValue(r, g, b);
    EXPECT_TRUE(flag.GetValue());
    EXPECT_EQ(b, 0.3);
    EXPECT_EQ(number.GetValue(), 7);
}
