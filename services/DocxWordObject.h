#pragma once

namespace office {
class AutomationObject;
// "Word.Application": .docx documents written here.
AutomationObject* makeWordObject();
} // namespace office
