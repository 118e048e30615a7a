#include <gtest/gtest.h>

#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/MainWindowFixture.h"
#include "toolkit/widgets/WidgetTestSupport.h"

namespace {

TEST(WidgetTreeTest, LaterChildrenAreInFrontAndIndicesAreChecked)
{
    TestRoot root(50, 50);
    TestWidget* a = new TestWidget(u"a");
    TestWidget* b = new TestWidget(u"b");
    ASSERT_EQ(Place(&root, a, {0, 0, 10, 10}), kResOk);
    ASSERT_EQ(Place(&root, b, {0, 0, 10, 10}), kResOk);
    EXPECT_EQ(root.GetChild(0), b);
    EXPECT_EQ(root.GetChild(1), a);
    EXPECT_EQ(root.GetChild(2), nullptr);
    EXPECT_EQ(root.GetChild(-1), nullptr);
    EXPECT_EQ(root.DeleteChildAt(2, 0), kResOutOfRange);
    EXPECT_EQ(root.RemoveChildAt(-1, 0), kResOutOfRange);
    EXPECT_EQ(root.IndexOfChild(&root), -1);
    EXPECT_EQ(root.CountWidgets(), 3);
    EXPECT_EQ(root.FindWidgetByName(u"a"), a);
    EXPECT_EQ(root.FindWidgetByName(u""), nullptr);
    EXPECT_EQ(root.FindWidgetByName(u"A"), nullptr);

    ASSERT_EQ(a->BringToFront(0), kResOk);
    EXPECT_EQ(root.GetChild(0), a);
}

TEST(WidgetTreeTest, AddChildRefusesWidgetsAlreadyInATreeAndAncestors)
{
    TestRoot root(50, 50);
    TestRoot other(50, 50);
    TestWidget* child = new TestWidget(u"child");
    TestWidget* grandchild = new TestWidget(u"grandchild");
    ASSERT_EQ(Place(&root, child, {0, 0, 10, 10}), kResOk);
    ASSERT_EQ(Place(child, grandchild, {0, 0, 5, 5}), kResOk);

    EXPECT_EQ(other.AddChild(child, 0), kResBadParam);
    EXPECT_EQ(root.AddChild(child, 0), kResBadParam);
    EXPECT_EQ(grandchild->AddChild(&root, 0), kResBadParam);
    EXPECT_EQ(grandchild->AddChild(child, 0), kResBadParam);
    EXPECT_EQ(child->AddChild(child, 0), kResBadParam);
    EXPECT_EQ(child->AddChild(nullptr, 0), kResBadParam);
    EXPECT_EQ(root.GetChildCount(), 1);

    // A widget that only names a parent, as a root's cursor does, is in no array.
    TestWidget* cursor = new TestWidget(u"cursor");
    cursor->SetParent(&root);
    EXPECT_EQ(other.AddChild(cursor, 0), kResOk);
    EXPECT_EQ(cursor->GetParent(), &other);
}

TEST(WidgetTreeTest, FailedLayoutLeavesTheChildOutside)
{
    TestRoot root(50, 50);
    bool destroyed = false;
    TestWidget* child = new TestWidget(u"child", &destroyed);
    child->layoutResult = kResFileIO;
    child->GetLayout()->width = 10;
    EXPECT_EQ(root.AddChild(child, 0), kResFileIO);
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(child->GetParent(), nullptr);
    delete child;
    EXPECT_TRUE(destroyed);
}

TEST(WidgetTreeTest, RemovingClearsTheParentAndTellsTheRoot)
{
    TestRoot root(50, 50);
    TestWidget* holder = new TestWidget(u"holder");
    TestWidget child(u"child");
    ASSERT_EQ(Place(&root, holder, {5, 5, 45, 45}), kResOk);
    ASSERT_EQ(Place(holder, &child, {10, 10, 20, 20}), kResOk);
    root.ClearRecords();

    ASSERT_EQ(holder->RemoveChild(&child, 0), kResOk);
    EXPECT_EQ(child.GetParent(), nullptr);
    EXPECT_EQ(holder->GetChildCount(), 0);
    EXPECT_EQ(root.detached, (std::vector<CWidget*>{&child}));
    EXPECT_EQ(root.invalidated, (std::vector<tCRect>{{15, 15, 25, 25}}));

    // Removed, it can go elsewhere.
    EXPECT_EQ(root.AddChild(&child, 0), kResOk);
    ASSERT_EQ(root.RemoveChild(&child, 0), kResOk);

    // Children destroyed in place are reported too, without invalidation.
    bool destroyed = false;
    TestWidget* doomed = new TestWidget(u"doomed", &destroyed);
    ASSERT_EQ(Place(holder, doomed, {0, 0, 5, 5}), kResOk);
    root.ClearRecords();
    holder->DestroyChildren();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(root.detached, (std::vector<CWidget*>{doomed}));
    EXPECT_TRUE(root.invalidated.empty());
}

TEST(WidgetTreeTest, DeletingByIdPresentsAtOnce)
{
    TestRoot root(50, 50);
    bool destroyed = false;
    TestWidget* child = new TestWidget(u"child", &destroyed);
    child->SetId(77);
    ASSERT_EQ(Place(&root, child, {0, 0, 10, 10}), kResOk);
    root.ClearRecords();
    ASSERT_EQ(root.DeleteChildById(77, 1), kResOk);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(root.presents, 1);
    EXPECT_EQ(root.invalidated, (std::vector<tCRect>{{0, 0, 10, 10}}));
    ASSERT_EQ(root.DeleteChildById(77, 1), kResOk);
    EXPECT_EQ(root.presents, 2);
}

TEST(WidgetTreeTest, AWidgetDeletedInItsArrayUnlinksItself)
{
    TestRoot root(50, 50);
    TestWidget* a = new TestWidget(u"a");
    TestWidget* b = new TestWidget(u"b");
    ASSERT_EQ(Place(&root, a, {0, 0, 10, 10}), kResOk);
    ASSERT_EQ(Place(&root, b, {20, 20, 30, 30}), kResOk);
    b->SetFocus(0);
    root.ClearRecords();
    delete b;
    EXPECT_EQ(root.GetChildCount(), 1);
    EXPECT_EQ(root.GetChild(0), a);
    EXPECT_EQ(root.GetFocusChild(), nullptr);
    EXPECT_EQ(root.detached, (std::vector<CWidget*>{b}));
    EXPECT_EQ(root.invalidated, (std::vector<tCRect>{{20, 20, 30, 30}}));
}

TEST(WidgetTreeTest, FocusSurvivesRemovalButNotDeletion)
{
    TestRoot root(50, 50);
    TestWidget* panel = new TestWidget(u"panel");
    TestWidget* field = new TestWidget(u"field");
    ASSERT_EQ(Place(&root, panel, {0, 0, 40, 40}), kResOk);
    ASSERT_EQ(Place(panel, field, {0, 0, 10, 10}), kResOk);
    field->SetFocus(1);
    EXPECT_EQ(field->HasFocus(), 1u);

    ASSERT_EQ(panel->RemoveChild(field, 0), kResOk);
    EXPECT_EQ(panel->GetFocusChild(), field);
    delete field;
    EXPECT_EQ(panel->GetFocusChild(), nullptr);
    EXPECT_EQ(panel->HasFocus(), 1u);

    // Deleting the panel, which holds the focus path, clears the root's pointer.
    TestWidget* other = new TestWidget(u"other");
    ASSERT_EQ(Place(panel, other, {0, 0, 10, 10}), kResOk);
    other->SetFocus(1);
    ASSERT_EQ(root.DeleteChild(panel, 0), kResOk);
    EXPECT_EQ(root.GetFocusChild(), nullptr);
}

TEST(WidgetTreeTest, AWidgetDeletingItselfInAKeyHandler)
{
    TestRoot root(50, 50);
    bool destroyed = false;
    TestWidget* field = new TestWidget(u"field", &destroyed);
    TestWidget* inner = new TestWidget(u"inner");
    ASSERT_EQ(Place(&root, field, {0, 0, 10, 10}), kResOk);
    ASSERT_EQ(Place(field, inner, {0, 0, 5, 5}), kResOk);
    root.EnableEvents(eKeyEvent, 0);
    field->SetKeyDownProc(
        [](tMsgArg context, CWidget* widget, CWidget**, uint32_t) -> tResult {
            EXPECT_EQ(widget->GetParent()->DeleteChild(widget, 0), kResOk);
            // Still whole until the dispatch ends.
            EXPECT_FALSE(*FromMsgArg<bool>(context));
            EXPECT_EQ(widget->GetChildCount(), 1);
            return kResOk;
        },
        ToMsgArg(&destroyed));
    field->SetFocus(0);
    CWidget* takenBy = nullptr;
    EXPECT_EQ(root.DispatchKeyDown(&takenBy, 13), kResOk);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(root.GetFocusChild(), nullptr);
}

TEST(WidgetTreeTest, AWidgetDeletingItselfInABroadcast)
{
    TestRoot root(50, 50);
    bool destroyed = false;
    TestWidget* back = new TestWidget(u"back");
    TestWidget* quitter = new TestWidget(u"quitter", &destroyed);
    TestWidget* inner = new TestWidget(u"inner");
    ASSERT_EQ(Place(&root, back, {0, 0, 10, 10}), kResOk);
    ASSERT_EQ(Place(&root, quitter, {0, 0, 10, 10}), kResOk);
    ASSERT_EQ(Place(quitter, inner, {0, 0, 5, 5}), kResOk);
    CallLog messages;
    const auto note = [](tMsgArg context, CWidget* widget, uint32_t, tMsgArg, tMsgArg) -> tResult {
        LogOf(context)->calls.push_back(NameOf(widget));
        if (NameOf(widget) == "quitter")
            return widget->GetParent()->DeleteChild(widget, 0);
        return kResOk;
    };
    for (CWidget* widget : {static_cast<CWidget*>(back), static_cast<CWidget*>(quitter),
                            static_cast<CWidget*>(inner)})
        widget->SetMessageProc(note, ToMsgArg(&messages));
    EXPECT_EQ(root.BroadcastMessage(1, 0, 0), kResOk);
    // The deleted widget's subtree hears no more; the next sibling still does.
    EXPECT_EQ(messages.calls, (std::vector<std::string>{"quitter", "back"}));
    EXPECT_TRUE(destroyed);
}

TEST(WidgetTreeTest, ASiblingDeletedFromAHeartbeat)
{
    TestRoot root(50, 50);
    bool destroyed = false;
    TestWidget* victim = new TestWidget(u"victim", &destroyed);
    TestWidget* killer = new TestWidget(u"killer");
    ASSERT_EQ(Place(&root, victim, {0, 0, 10, 10}), kResOk);
    ASSERT_EQ(Place(&root, killer, {0, 0, 10, 10}), kResOk);
    // Heartbeats go back to front: the killer goes first once it is at the back.
    ASSERT_EQ(killer->SendToBack(0), kResOk);
    root.EnableEvents(eHeartbeatEvent, 0);
    CallLog beats;
    victim->SetHeartbeatProc(LogHeartbeat, ToMsgArg(&beats));
    killer->SetHeartbeatProc(
        [](tMsgArg context, CWidget* widget) -> tResult {
            LogHeartbeat(context, widget);
            CWidget* root = widget->GetParent();
            return root->DeleteChild(root->FindWidgetByName(u"victim"), 0);
        },
        ToMsgArg(&beats));
    EXPECT_EQ(root.DispatchHeartbeat(), kResOk);
    EXPECT_EQ(beats.calls, (std::vector<std::string>{"killer"}));
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(root.GetChildCount(), 1);
}

TEST(WidgetTreeTest, FreezeGuardsNestAndRestore)
{
    TestRoot root(10, 10);
    {
        CUpdateFreezeGuard outer(&root);
        EXPECT_EQ(root.frozen, 1u);
        {
            CUpdateFreezeGuard inner(&root);
            EXPECT_EQ(root.frozen, 1u);
        }
        EXPECT_EQ(root.frozen, 1u);
    }
    EXPECT_EQ(root.frozen, 0u);

}

TEST_F(MainWindowTest, AFreezeGuardLeavesTheRootAloneOnceTheMainWindowIsGone)
{
    TestRoot root(10, 10);
    {
        CUpdateFreezeGuard guard(&root);
        CloseMainWindow();
    }
    // The root may have gone with the window: the guard does not touch it.
    EXPECT_EQ(root.frozen, 1u);
}

TEST(WidgetTreeTest, AncestorsAndSearches)
{
    TestRoot root(50, 50);
    TestWidget* panel = new TestWidget(u"panel");
    TestWidget* button = new TestWidget(u"button");
    panel->SetId(5);
    button->SetId(9);
    ASSERT_EQ(Place(&root, panel, {0, 0, 40, 40}), kResOk);
    ASSERT_EQ(Place(panel, button, {0, 0, 10, 10}), kResOk);
    EXPECT_EQ(button->IsDescendantOf(&root), 1u);
    EXPECT_EQ(panel->IsDescendantOf(button), 0u);
    EXPECT_EQ(button->HasAncestorWithId(5), 1u);
    EXPECT_EQ(button->HasAncestorWithId(9), 0u);
    EXPECT_EQ(button->FindAncestorByName(u"panel"), panel);
    EXPECT_EQ(button->HasAncestorNamed(u"button"), 0u);
    EXPECT_EQ(root.FindWidgetById(9), button);
    EXPECT_EQ(button->GetRoot(), &root);
}

}  // namespace
