// The Outputs dialog on its real widgets (offscreen) over the planner with the campus plan:
// the files listed, a setting typed and refused then applied as one Undo step, a refused
// plan's reasons selecting their blocks, Save writing the folder, the preview made on the
// worker thread, the menu entry, and the dialog's screenshot.
#include "plan/document.h"
#include "tests/deploy/deploy_plans.h"
#include "tests/planner/fake_planner_services.h"
#include "tests/support/files.h"
#include "ui/planner/outputs_dialog.h"
#include "ui/planner/planner.h"
#include "ui/platform/remembered.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

namespace mq::ui {
namespace {

class FakeOutputsServices : public planner::OutputsServices {
public:
    std::optional<std::string> folder;
    std::optional<std::string> chooseFolder() override { return folder; }
    void setClipboard(const std::string&) override { }
    std::uint32_t today() override { return 20261210; }
};

class OutputsWindowTest : public ::testing::Test {
protected:
    test::FakePlannerServices sv;
    FakeOutputsServices out;
    std::unique_ptr<Planner> w;

    void SetUp() override
    {
        plan::Plan p = test::deployCampus();
        settings = p.outputSettings();
        p.setOutputSettings({});  // set through the dialog below
        sv.files["/campus.mqplan"] = plan::writeDocument(p);
        w = std::make_unique<Planner>(nullptr, &sv);
        w->show();
        ASSERT_TRUE(w->openPlanFile("/campus.mqplan"));
    }
    void TearDown() override
    {
        sv.answers.assign(2, planner::Answer::No);
        w.reset();
        for (QWidget* t : QApplication::topLevelWidgets())
            EXPECT_FALSE(t->isVisible()) << "top-level window left: " << t->metaObject()->className();
    }
    std::unique_ptr<OutputsDialog> open()
    {
        auto d = std::make_unique<OutputsDialog>(w.get(), w->form(), &out);
        d->setSelectBlock([this](plan::BlockId id) {
            w->selectBlock(id);
            w->refresh();
        });
        d->show();
        return d;
    }
    template <class T> T* child(QWidget* d, const char* name) { return d->findChild<T*>(QString::fromLatin1(name)); }
    void typeInto(QDialog* d, const char* name, const QString& text)
    {
        auto* e = child<QLineEdit>(d, name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    // The campus settings typed in, and then applied.
    void typeCampus(OutputsDialog* d)
    {
        typeInto(d, "domain", QString::fromStdString(settings.domain));
        typeInto(d, "dnsServers", QStringLiteral("10.40.0.53, 2001:db8:40::53"));
        auto* ns = child<QPlainTextEdit>(d, "nameServers");
        ns->setFocus();
        QTest::keyClicks(ns, QString::fromStdString(planner::fieldsOf(settings)["name_servers"]).trimmed());
        typeInto(d, "leaseFile", QString::fromStdString(settings.leaseFile));
    }
    void applyCampus(OutputsDialog* d)
    {
        typeCampus(d);
        QTest::mouseClick(child<QPushButton>(d, "applyOutputs"), Qt::LeftButton);
    }
    std::vector<std::string> listed(QDialog* d)
    {
        std::vector<std::string> rows;
        auto* list = child<QListWidget>(d, "outputFiles");
        for (int i = 0; i < list->count(); ++i)
            rows.push_back(list->item(i)->text().toStdString());
        return rows;
    }
    plan::OutputSettings settings;
};

TEST_F(OutputsWindowTest, SettingsTypedRefusedAppliedAndSaved)
{
    auto d = open();
    applyCampus(d.get());
    EXPECT_TRUE(w->form().plan().outputSettings() == settings) << d->form().status();
    d->updatePreview();
    // Each file listed with its lines, the first shown.
    const std::vector<std::string> rows = listed(d.get());
    ASSERT_EQ(rows.size(), d->form().preview().files.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_TRUE(rows[i].starts_with(d->form().preview().files[i].name + "  (")) << rows[i];
    EXPECT_EQ(child<QPlainTextEdit>(d.get(), "outputText")->toPlainText().toStdString(),
              d->form().preview().files[0].text);

    // A refused setting: the reason beside the form, the typed text kept, Save refused.
    typeInto(d.get(), "ttl", QStringLiteral("1 hour"));
    auto* why = child<QLabel>(d.get(), "settingsError");
    EXPECT_TRUE(why->isVisibleTo(d.get()));
    EXPECT_TRUE(why->text().startsWith(QStringLiteral("TTL: \"1 hour\""))) << why->text().toStdString();
    EXPECT_EQ(child<QLineEdit>(d.get(), "ttl")->text(), QStringLiteral("1 hour"));
    QTest::keyClick(child<QLineEdit>(d.get(), "ttl"), Qt::Key_Return);  // closes nothing
    EXPECT_TRUE(d->isVisible());
    test::TempDir dir;
    out.folder = dir.path();
    QTest::mouseClick(child<QPushButton>(d.get(), "saveOutputs"), Qt::LeftButton);
    EXPECT_TRUE(d->form().error());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    // Apply is one Undo step in the planner.
    typeInto(d.get(), "ttl", QStringLiteral("600"));
    EXPECT_FALSE(why->isVisibleTo(d.get()));
    QTest::mouseClick(child<QPushButton>(d.get(), "applyOutputs"), Qt::LeftButton);
    EXPECT_EQ(w->form().plan().outputSettings().ttl, 600u);
    w->undo();
    EXPECT_EQ(w->form().plan().outputSettings().ttl, settings.ttl);
    EXPECT_TRUE(w->form().plan().outputSettings() == settings);
    w->redo();

    // Save writes every file and the plan records the IDs.
    d->form().reset();
    d->refresh();
    QTest::mouseClick(child<QPushButton>(d.get(), "saveOutputs"), Qt::LeftButton);
    EXPECT_FALSE(d->form().error()) << d->form().status();
    for (const deploy::OutputFile& f : d->form().preview().files)
        EXPECT_EQ(test::readFile(dir.file(f.name)), f.text) << f.name;
    EXPECT_FALSE(w->form().plan().dhcpIds().empty());
    EXPECT_TRUE(w->form().isModified());
    EXPECT_EQ(child<QLabel>(d.get(), "outputsStatus")->text().toStdString(), d->form().status());
}

TEST_F(OutputsWindowTest, RefusedPlanListsReasonsThatSelectTheirBlocks)
{
    // No gateways, so the DHCP ranges have no router.
    plan::LayoutRules rules = w->form().plan().settings().layout;
    rules.gateway = plan::GatewayRule::None;
    ASSERT_TRUE(w->form().setLayoutRules(rules));
    auto d = open();
    applyCampus(d.get());
    d->updatePreview();
    ASSERT_FALSE(d->form().preview().faults.empty());
    auto* list = child<QListWidget>(d.get(), "outputFiles");
    EXPECT_EQ(list->accessibleName(), QStringLiteral("Why the plan is refused"));
    ASSERT_EQ(static_cast<std::size_t>(list->count()), d->form().preview().faults.size());
    for (int i = 0; i < list->count(); ++i) {
        const plan::BlockId id = d->form().faultBlock(static_cast<std::size_t>(i));
        if (id == plan::kNoBlock)
            continue;
        list->setCurrentRow(i);
        EXPECT_EQ(w->currentBlock(), id) << list->item(i)->text().toStdString();
        break;
    }
    EXPECT_FALSE(child<QPlainTextEdit>(d.get(), "outputText")->isVisibleTo(d.get()));
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        d->grab().save(QStringLiteral("%1/planner_outputs_refused.png").arg(QString::fromLocal8Bit(dir)));
}

TEST_F(OutputsWindowTest, PreviewOnTheWorkerKeepsTheLastUntilItsResult)
{
    auto d = open();
    applyCampus(d.get());
    d->updatePreview();
    const std::vector<std::string> before = listed(d.get());
    d->setBackgroundFrom(0);
    child<QCheckBox>(d.get(), "dnsmasq")->click();
    d->updatePreview();
    ASSERT_TRUE(d->previewBusy());
    EXPECT_TRUE(child<QPushButton>(d.get(), "stopPreview")->isVisibleTo(d.get()));
    EXPECT_EQ(listed(d.get()), before);
    // Stopped: the last preview stays; started again, its result is shown.
    QTest::keyClick(d.get(), Qt::Key_Escape);
    EXPECT_FALSE(d->previewBusy());
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(listed(d.get()), before);
    QSignalSpy done(&d->previewWork(), &BackgroundWork::done);
    d->updatePreview();
    ASSERT_TRUE(done.wait(30000));
    EXPECT_EQ(listed(d.get()).size(), before.size() + 1);
    EXPECT_FALSE(child<QPushButton>(d.get(), "stopPreview")->isVisibleTo(d.get()));

    // Fits a 1024x768 screen, every field labelled and described.
    EXPECT_LE(d->sizeHint().width(), 1024);
    EXPECT_LE(d->sizeHint().height(), 740);
    for (QWidget* c : d->findChildren<QWidget*>())
        if (c->focusPolicy() != Qt::NoFocus && c->isVisibleTo(d.get()) && !c->objectName().isEmpty() &&
            !c->objectName().startsWith(QLatin1String("qt_"))) {
            EXPECT_FALSE(c->accessibleDescription().isEmpty()) << c->objectName().toStdString();
        }
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty()) {
        EXPECT_LE(d->width(), 1024);
        EXPECT_LE(d->height(), 740);
        child<QListWidget>(d.get(), "outputFiles")->setCurrentRow(2);
        d->grab().save(QStringLiteral("%1/planner_outputs.png").arg(QString::fromLocal8Bit(dir)));
    }
}

// The outputs ticked are there again when the dialog next opens; a remembered value that is
// not a choice leaves the plan's default.
TEST_F(OutputsWindowTest, TickedOutputsAreRememberedAndACorruptValueIgnored)
{
    QTemporaryDir dir;
    QtSettingsStore store(dir.filePath("settings.ini"));
    setRememberedStore(&store);
    {
        auto d = open();
        child<QCheckBox>(d.get(), "zones")->click();
        child<QCheckBox>(d.get(), "dnsmasq")->click();
    }
    EXPECT_EQ(recalled("Planner", "Outputs"), QStringLiteral("kea4,kea6,dnsmasq,whole"));
    {
        auto d = open();
        EXPECT_TRUE(child<QCheckBox>(d.get(), "dnsmasq")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(d.get(), "zones")->isChecked());
    }
    store.saveSettings("Maskquill", "Planner", {{"Outputs", "kea4,\x01"}});
    {
        auto d = open();
        EXPECT_FALSE(child<QCheckBox>(d.get(), "dnsmasq")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(d.get(), "zones")->isChecked());
    }
    setRememberedStore(nullptr);
}

// Settings typed are not lost to Close, Esc or the window's close: Apply puts them into the
// plan, Discard drops them, Cancel keeps the dialog open with them; nothing typed, nothing asked.
TEST_F(OutputsWindowTest, ClosingWithSettingsNotAppliedAsksFirst)
{
    struct Case {
        const char* how;
        std::function<void(OutputsDialog*)> close;
        planner::Answer answer;
        bool closes, applied;
    };
    auto escape = [](OutputsDialog* d) { QTest::keyClick(d, Qt::Key_Escape); };
    const Case cases[] = {
        {"Close, cancelled",
         [](OutputsDialog* d) { d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close)->click(); },
         planner::Answer::Cancel, false, false},
        {"Esc, discarded", escape, planner::Answer::No, true, false},
        {"the window's close, applied", [](OutputsDialog* d) { d->close(); }, planner::Answer::Yes, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        auto d = open();
        typeCampus(d.get());
        const std::size_t asked = sv.questions.size();
        sv.answers.assign(1, c.answer);
        c.close(d.get());
        ASSERT_EQ(sv.questions.size(), asked + 1);
        EXPECT_NE(sv.questions.back().find("Apply them"), std::string::npos) << sv.questions.back();
        EXPECT_EQ(d->isVisible(), !c.closes);
        EXPECT_EQ(w->form().plan().outputSettings() == settings, c.applied);
        if (!c.closes) {
            EXPECT_EQ(child<QLineEdit>(d.get(), "domain")->text().toStdString(), settings.domain);
        }
    }
    auto d = open();
    const std::size_t asked = sv.questions.size();
    escape(d.get());
    EXPECT_EQ(sv.questions.size(), asked);
    EXPECT_FALSE(d->isVisible());
}

TEST_F(OutputsWindowTest, ExportMenuOpensTheDialog)
{
    auto* action = w->findChild<QAction*>(QStringLiteral("actionOutputs"));
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(w->exportMenu()->actions().contains(action));
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    QString seen;
    QTimer::singleShot(0, [&] {
        if (QWidget* m = QApplication::activeModalWidget()) {
            seen = m->objectName();
            static_cast<QDialog*>(m)->reject();
        }
    });
    action->trigger();
    EXPECT_EQ(seen, QStringLiteral("outputsDialog"));
}

}  // namespace
}  // namespace mq::ui
