#include "platform/widgets/qt_form_host.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "platform/ui/form.h"

namespace gw20::qtui {
namespace {

class TestForm : public ui::Form {
 public:
  explicit TestForm(ui::FormHost& host, std::string name = "TestForm") : Form(std::move(name), host) {}
  bool refuseUnload = false;

 protected:
  void Form_Unload(int& Cancel) override { Cancel = refuseUnload ? 1 : 0; }
};

void RunDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class QtFormHostTest : public ::testing::Test {
 protected:
  QtFormHostTest() {
    host.Register<TestForm>([](TestForm&) { return std::make_unique<QWidget>(); });
  }
  QtFormHost host;
};

TEST_F(QtFormHostTest, ShowCloseUnloadAndDestruction_FollowTheForm) {
  TestForm form(host);
  form.SetSize(8240, 7130);
  form.Show();
  QPointer<QWidget> view = host.ViewOf(form);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->width(), 8240 * view->logicalDpiX() / 1440);

  form.refuseUnload = true;
  EXPECT_FALSE(view->close());
  EXPECT_TRUE(view->isVisible());
  form.refuseUnload = false;
  EXPECT_TRUE(view->close());
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(host.ViewOf(form), nullptr);
  RunDeferredDeletes();
  EXPECT_TRUE(view.isNull());

  form.Show();  // a fresh view after an unload
  view = host.ViewOf(form);
  ASSERT_NE(view, nullptr);
  QTimer::singleShot(0, [&] { form.Hide(); });
  form.Show(true);  // returns only because the hide ends the modal loop
  EXPECT_FALSE(view->isVisible());
  EXPECT_EQ(view->windowModality(), Qt::NonModal);

  // A form destroyed while shown releases its view.
  {
    TestForm shortLived(host, "ShortLived");
    shortLived.Show();
    view = host.ViewOf(shortLived);
  }
  RunDeferredDeletes();
  EXPECT_TRUE(view.isNull());
}

}  // namespace
}  // namespace gw20::qtui
