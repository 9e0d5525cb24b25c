#pragma once

namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
}

namespace finance {

// Gives the organiser window its finance page: the entry and category forms, the category
// tree's routines and menu, the charts, the reports.
void attachFinance(organiser::FeatureHost& host);

} // namespace finance
