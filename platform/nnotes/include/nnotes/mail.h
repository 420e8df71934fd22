// libnnotes mail and agents: opening and running agents, and the rich-text builder that composes a composite
// item of an open note from runs of text and from rendered notes.
#pragma once

#include <cstdint>

#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

namespace nnotes {

// Statuses 0x0D00-0x0DFF.
// Agents. An agent is a note of class NOTE_CLASS_FILTER; its formula, if any, is the text item "$Formula",
// compiled when the agent is opened. A run evaluates the formula once for every document of the agent's
// database; formulas change no document, so a run reports whether the formula can be evaluated for all of
// them. An agent without a formula runs and does nothing.
using HAGENT = uint32_t;                    // never 0
using HAGENTCTX = uint32_t;                 // never 0
constexpr STATUS ERR_AGENT_HANDLE = 0x0D01; // unknown or closed agent or run context
constexpr STATUS ERR_NOT_AN_AGENT = 0x0D02; // the note is not an agent
constexpr STATUS ERR_RT_BUILDER = 0x0D03;   // unknown or closed rich-text builder
constexpr STATUS ERR_RT_TOO_BIG = 0x0D04;   // built rich text does not fit the note

STATUS OpenAgent(DBHANDLE db, NOTEID id, HAGENT* agent);
STATUS CloseAgent(HAGENT agent);
// reserved and flags are accepted and have no effect.
STATUS CreateRunContext(HAGENT agent, uint32_t reserved, uint32_t flags, HAGENTCTX* context);
// context must have been made for agent.
STATUS RunAgent(HAGENT agent, HAGENTCTX context, uint32_t reserved, uint32_t flags);
STATUS DestroyRunContext(HAGENTCTX context);

// Rich-text builder: composes a composite item of an open note from runs of text, paragraph by paragraph,
// as CD records (a paragraph record, signature byte 0x81, before each paragraph; a text record, signature
// 0xFF85, with the run's 32-bit font id for each run). Closing appends the result to the note as items of
// the builder's name, of at most RT_ITEM_LIMIT bytes each, split between records (a record larger than that
// has an item of its own).
using HRTBUILDER = uint32_t; // never 0
constexpr uint32_t RT_ITEM_LIMIT = 40960;

STATUS CreateRichTextBuilder(NOTEHANDLE note, const char* itemName, HRTBUILDER* builder);
// Paragraph styles are accepted by name; they change nothing in what is built.
STATUS RichTextDefineStyle(HRTBUILDER builder, const char* styleName);
// Adds length bytes of text in font fontId; every lineDelimiter (null or "": none) in it starts a new
// paragraph. flags are accepted and have no effect.
STATUS RichTextAddRun(HRTBUILDER builder, uint32_t fontId, const char* text, uint16_t length,
                      const char* lineDelimiter, uint16_t flags);
// Renders an open note into the builder: each text item whose name does not begin with "$" as a paragraph
// "name: entries" (list entries joined by ", "), and the records of each composite item as they are; items
// of other types are left out.
STATUS RichTextAddRenderedNote(HRTBUILDER builder, NOTEHANDLE source);
// Appends the built items to the note and ends the builder; on failure nothing is appended.
STATUS CloseRichTextBuilder(HRTBUILDER builder);
STATUS DiscardRichTextBuilder(HRTBUILDER builder);

} // namespace nnotes
