#pragma once
// What the end-to-end tests share: the documented example plans and their
// chain, a controller with an EEPROM file, JSON read back, and a look for a
// text that shows the whole text when it fails.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "plans/plan_file.h"
#include "tests/e2e/line_plan.h"
#include "tests/support/sim_process.h"

namespace gw20::testing {

inline QString ExamplePlan(const QString& profile = QStringLiteral("canopen")) {
  return QStringLiteral(PLAN_EXAMPLES_DIR) + "/" + profile + "-example.json";
}

// The chain the CANopen example plan expects, as gw20sim's --modules takes it.
inline QString ExampleChain() {
  const plans::PlanReadResult read = plans::ReadPlan(ExamplePlan().toStdString());
  if (!read.Ok()) ADD_FAILURE() << read.error.Text();
  return read.Ok() ? QString::fromStdString(ModuleListOf(*read.plan)) : QString();
}

inline bool StartWithEeprom(SimProcess& sim, const QStringList& args) {
  return sim.Start(QStringList{"--eeprom", sim.Path("eeprom")} + args);
}

inline QJsonObject JsonObject(const QByteArray& text) { return QJsonDocument::fromJson(text).object(); }

inline ::testing::AssertionResult Contains(const QByteArray& text, const QByteArray& part) {
  if (text.contains(part)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << part.constData() << "\" in:\n" << text.constData();
}

// A controller that heard nothing, or what it heard.
inline ::testing::AssertionResult HeardNothing(const SimProcess& sim) {
  const QStringList lines = sim.Transcript();
  if (lines.isEmpty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << lines.join('|').toStdString();
}

}  // namespace gw20::testing
