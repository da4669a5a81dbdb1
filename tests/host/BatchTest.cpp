// The batch's rules: its queue, its progress, stopping it and what follows the stop. Each row
// is a script of what the window and the item threads do to a batch and what it must answer.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/batch/Batch.h"

namespace kestrova {
namespace {

// "a,b" as items.
std::vector<std::wstring> Items(const std::string& list) {
  std::vector<std::wstring> items;
  std::size_t start = 0;
  while (start < list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    items.emplace_back(list.begin() + static_cast<long>(start),
                       list.begin() + static_cast<long>(comma));
    start = comma + 1;
  }
  return items;
}

std::string Name(TBatch::Question q) {
  return q == TBatch::Question::Stop ? "stop" : q == TBatch::Question::ForceStop ? "force" : "none";
}
std::string Name(TBatch::Then t) {
  return t == TBatch::Then::Kill ? "kill" : t == TBatch::Then::Close ? "close" : "nothing";
}
std::string Name(TBatch::After a) {
  return a == TBatch::After::Close ? "close" : a == TBatch::After::Quit ? "quit" : "stay";
}
TBatch::After AfterOf(const std::string& name) {
  return name == "close" ? TBatch::After::Close
         : name == "quit" ? TBatch::After::Quit
                          : TBatch::After::Stay;
}
std::string Joined(const std::vector<std::wstring>& items) {
  std::string text;
  for (const std::wstring& item : items) {
    if (!text.empty()) text += ',';
    text += std::string(item.begin(), item.end());
  }
  return text;
}

// One step: "op" or "op:argument", and "=expected" for what the batch answers.
//   begin:a,b  add:c  children:x,y  next=a (next=- for none, x* for a child)  may=1|0|wait
//   over=1|0 (nothing in hand and nothing to wait for)  takes=1|0 (a hand-over now)
//   looking=1|0 (it stops, and only a look at the item in hand is left)
//   done:ok|ng|-
//   stop:stay|close=question  yes=then  no=then  session  then:quit
//   pause  resume  paused=1|0
//   progress=done/total (a "!" after it: a folder failed)  running=0|1
//   end=stopped|done,after,next items
void Step(TBatch& batch, const std::string& step) {
  const std::size_t eq = step.find('=');
  const std::string call = step.substr(0, eq);
  const std::string expected = eq == std::string::npos ? "" : step.substr(eq + 1);
  const std::size_t colon = call.find(':');
  const std::string op = call.substr(0, colon);
  const std::string arg = colon == std::string::npos ? "" : call.substr(colon + 1);
  std::string got;
  if (op == "begin") {
    batch.Begin(Items(arg));
  } else if (op == "add") {
    batch.Add(Items(arg));
  } else if (op == "children") {
    batch.AddChildren(Items(arg));
  } else if (op == "next") {
    const std::optional<TBatchItem> item = batch.Next();
    got = item ? std::string(item->path.begin(), item->path.end()) + (item->child ? "*" : "")
               : "-";
  } else if (op == "may" || op == "later") {
    // later: a later step of the folder in hand (its archive's test, its move to the bin).
    const TBatch::Start start = batch.MayStart(op == "later");
    got = start == TBatch::Start::Yes ? "1" : start == TBatch::Start::Wait ? "wait" : "0";
  } else if (op == "over") {
    got = batch.Over() ? "1" : "0";
  } else if (op == "looking") {
    got = batch.OnlyLooking() ? "1" : "0";
  } else if (op == "takes") {
    got = batch.TakesHandOver() ? "1" : "0";
  } else if (op == "done") {
    std::optional<TResult> result;
    if (arg != "-") {
      result = TResult{};
      result->kind = arg == "ok" ? TResult::Kind::Ok : TResult::Kind::Failed;
    }
    batch.ItemDone(result);
  } else if (op == "stop") {
    got = Name(batch.RequestStop(AfterOf(arg)));
  } else if (op == "yes" || op == "no") {
    got = Name(batch.Answer(op == "yes"));
  } else if (op == "session") {
    batch.EndSession();
  } else if (op == "pause") {
    batch.Pause();
  } else if (op == "resume") {
    batch.Resume();
  } else if (op == "paused") {
    got = batch.Paused() ? "1" : "0";
  } else if (op == "then") {
    batch.ThenDo(AfterOf(arg));
  } else if (op == "progress") {
    got = std::to_string(batch.Done()) + "/" + std::to_string(batch.Total()) +
          (batch.Failed() ? "!" : "");
  } else if (op == "running") {
    got = batch.Running() ? "1" : "0";
  } else if (op == "end") {
    const TBatch::Ended ended = batch.End();
    got = std::string(ended.stopped ? "stopped" : "done") + "," + Name(ended.after) + "," +
          Joined(ended.next);
  } else {
    FAIL() << "unknown step " << step;
  }
  if (eq != std::string::npos) {
    EXPECT_EQ(got, expected) << step;
  }
}

TEST(Batch, QueueProgressAndStopRules) {
  struct Row {
    const char* what;
    std::vector<std::string> steps;
  };
  const Row rows[] = {
      {"items in order, one in hand at a time, progress before each",
       {"begin:a,b,c", "next=a", "next=-", "progress=0/3", "may=1", "done:ok", "next=b",
        "progress=1/3", "done:-", "next=c", "may=1", "done:ng", "progress=3/3!", "next=-",
        "running=1", "end=done,stay,", "running=0"}},
      {"items that arrive during the batch join its end",
       {"begin:a", "next=a", "add:b,c", "progress=0/3", "done:ok", "next=b", "add:d", "done:ok",
        "next=c", "done:ok", "next=d", "done:ok", "next=-", "end=done,stay,"}},
      {"the folders inside a given one come before the rest of the queue",
       {"begin:p,q", "next=p", "children:p1,p2", "done:-", "progress=1/4", "next=p1*",
        "done:ok", "next=p2*", "done:ok", "next=q"}},
      {"no folders inside are taken once the batch stops",
       {"begin:p,q", "next=p", "stop:stay=stop", "yes=nothing", "children:p1", "done:-",
        "next=-", "end=stopped,stay,"}},
      {"a stop lets the running archiver finish and takes nothing more",
       {"begin:a,b,c", "next=a", "may=1", "stop:stay=stop", "yes=nothing", "progress=0/1",
        "done:ok", "next=-", "end=stopped,stay,"}},
      {"no to the stop goes on",
       {"begin:a,b", "next=a", "may=1", "stop:stay=stop", "no=nothing", "done:ok", "next=b"}},
      {"a folder looked at when the stop came does not start",
       {"begin:a,b", "next=a", "stop:stay=stop", "yes=nothing", "may=0", "done:-", "next=-",
        "end=stopped,stay,"}},
      {"a second stop while the archiver runs asks to end it; yes ends it",
       {"begin:a,b", "next=a", "may=1", "stop:stay=stop", "yes=nothing", "stop:stay=force",
        "yes=kill", "done:ng", "next=-", "end=stopped,stay,"}},
      {"no to ending it lets it run",
       {"begin:a", "next=a", "may=1", "stop:stay=stop", "yes=nothing", "stop:stay=force",
        "no=nothing", "done:ok", "end=stopped,stay,"}},
      {"a second stop with no archiver running asks nothing",
       {"begin:a,b", "next=a", "stop:stay=stop", "yes=nothing", "stop:stay=none"}},
      {"no second question while one is up",
       {"begin:a", "next=a", "may=1", "stop:stay=stop", "stop:close=none", "yes=nothing"}},
      {"a close stops and closes once the batch has ended",
       {"begin:a,b", "next=a", "may=1", "stop:close=stop", "yes=nothing", "done:ok", "next=-",
        "end=stopped,close,"}},
      {"a close after a stop ends the archiver and closes",
       {"begin:a,b", "next=a", "may=1", "stop:stay=stop", "yes=nothing", "stop:close=force",
        "yes=kill", "done:ng", "end=stopped,close,"}},
      {"the batch ends while the close question is up: yes closes at once",
       {"begin:a", "next=a", "may=1", "stop:close=stop", "done:ok", "next=-", "end=done,stay,",
        "yes=close"}},
      {"the batch ends while the stop question is up: yes does nothing",
       {"begin:a", "next=a", "may=1", "stop:stay=stop", "done:ok", "end=done,stay,",
        "yes=nothing"}},
      {"an answer never reaches the next batch",
       {"begin:a", "next=a", "may=1", "stop:stay=stop", "done:ok", "end=done,stay,", "begin:b",
        "next=b", "may=1", "yes=nothing", "done:ok", "next=-", "end=done,stay,"}},
      {"what arrives while it stops to stay is a batch of its own after it",
       {"begin:a,b", "next=a", "may=1", "stop:stay=stop", "yes=nothing", "add:c,d",
        "progress=0/1", "done:ok", "next=-", "end=stopped,stay,c,d"}},
      {"what arrives while it stops to close is not taken",
       {"begin:a,b", "next=a", "may=1", "stop:close=stop", "yes=nothing", "add:c",
        "done:ok", "end=stopped,close,"}},
      {"the end of the session: nothing more starts",
       {"begin:a,b,c", "next=a", "may=1", "session", "done:ok", "next=-",
        "end=stopped,stay,"}},
      {"quitting after a batch that runs to its end",
       {"begin:a,b", "then:quit", "next=a", "done:ng", "next=b", "done:ng", "next=-",
        "end=done,quit,"}},
      {"nothing new starts while the stop question is open; no goes on",
       {"begin:a,b", "next=a", "stop:stay=stop", "may=wait", "no=nothing", "may=1", "done:ok",
        "stop:stay=stop", "next=-", "over=0", "no=nothing", "next=b", "done:ok", "next=-",
        "over=1"}},
      {"the next item waits for the close question; yes ends the batch",
       {"begin:a,b", "next=a", "may=1", "stop:close=stop", "done:ok", "next=-", "over=0",
        "yes=nothing", "next=-", "over=1", "end=stopped,close,"}},
      {"a hand-over is refused while it stops to close or asks whether to",
       {"takes=1", "begin:a", "next=a", "takes=1", "stop:stay=stop", "takes=1", "no=nothing",
        "stop:close=stop", "takes=0", "no=nothing", "takes=1", "then:quit", "takes=1",
        "stop:close=stop", "yes=nothing", "takes=0"}},
      {"nothing to stop outside a batch", {"stop:stay=none", "stop:close=none", "yes=nothing"}},
      {"a close need not wait for a look, only for an archiver that runs",
       {"begin:a,b", "next=a", "looking=0", "stop:close=stop", "looking=0", "yes=nothing",
        "looking=1", "may=0", "looking=1", "done:-", "looking=0", "begin:c", "next=c", "may=1",
        "stop:close=stop", "yes=nothing", "looking=0"}},
      {"a pause lets the folder in hand finish and takes nothing more until resumed",
       {"begin:a,b", "next=a", "may=1", "pause", "paused=1", "add:c", "done:ok", "next=-",
        "over=0", "progress=1/3", "resume", "paused=0", "next=b", "done:ok", "next=c"}},
      {"a pause lets the folder in hand finish its later steps; a stop or a question holds them",
       {"begin:a,b", "next=a", "may=1", "pause", "later=1", "may=wait", "stop:stay=stop",
        "later=wait", "no=nothing", "later=1", "stop:stay=stop", "yes=nothing", "later=0"}},
      {"a folder looked at when the pause came starts only once resumed",
       {"begin:a,b", "next=a", "pause", "may=wait", "resume", "may=1", "done:ok", "next=b"}},
      {"a stop while paused asks as between folders; yes ends the batch",
       {"begin:a,b", "next=a", "done:ok", "pause", "stop:stay=stop", "no=nothing", "paused=1",
        "stop:stay=stop", "yes=nothing", "paused=0", "next=-", "over=1", "end=stopped,stay,"}},
      {"a close while paused closes once the batch has ended",
       {"begin:a,b", "next=a", "pause", "stop:close=stop", "yes=nothing", "may=0", "done:-",
        "over=1", "end=stopped,close,"}},
      {"the end of the session while paused: the batch is over",
       {"begin:a,b", "next=a", "pause", "done:ok", "session", "next=-", "over=1",
        "end=stopped,stay,"}},
      {"no pause outside a batch nor once it stops; none left for the next batch",
       {"pause", "paused=0", "begin:a,b", "next=a", "stop:stay=stop", "yes=nothing", "pause",
        "paused=0", "done:ok", "end=stopped,stay,", "begin:c", "next=c", "pause", "done:ok",
        "over=1", "end=done,stay,", "paused=0", "begin:d", "next=d"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TBatch batch;
    for (const std::string& step : row.steps) Step(batch, step);
  }
}

TEST(Batch, ProgressTextOfTheStrip) {
  struct Row {
    TBatchProgress progress;
    std::wstring_view text;
    const char* why;
  };
  const Row rows[] = {
      {{2, 10, true}, L"3/10", "the folder in hand is the one after those done"},
      {{2, 10, false, 45}, L"3/10 45%", "its percentage when the archiver gives one"},
      {{2, 10, false, 45, true}, L"3/10 \u4E00\u6642\u505C\u6B62",
       "paused: the word, no percentage"},
      {{10, 10, false, 100}, L"10/10 100%", "the last one done, the batch not ended yet"},
      {{}, L"", "no batch"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ProgressText(row.progress, L"\u4E00\u6642\u505C\u6B62"), row.text);
  }
}

TEST(Batch, ResultsAreKeptInOrderUntilTheNextBatch) {
  TBatch batch;
  batch.Begin({L"a", L"b", L"c"});
  const TResult::Kind kinds[] = {TResult::Kind::Ok, TResult::Kind::Failed};
  for (std::size_t i = 0; i < 2; ++i) {
    ASSERT_TRUE(batch.Next());
    TResult result;
    result.kind = kinds[i];
    EXPECT_EQ(batch.ItemDone(result), std::optional<std::size_t>(i));
  }
  ASSERT_TRUE(batch.Next());
  EXPECT_EQ(batch.ItemDone(std::nullopt), std::nullopt);  // no folder, no result
  batch.End();
  ASSERT_EQ(batch.Results().size(), 2u);
  EXPECT_EQ(batch.Result(1)->kind, TResult::Kind::Failed);
  EXPECT_EQ(batch.Result(2), nullptr);
  // A retry takes the failed folders as they are, never looking into them.
  ASSERT_EQ(batch.FailedFolders().size(), 1u);
  EXPECT_TRUE(batch.FailedFolders()[0].child);
  batch.Begin({L"d"});
  EXPECT_TRUE(batch.FailedFolders().empty()) << "none while a batch runs";
  EXPECT_TRUE(batch.Results().empty());
}

}  // namespace
}  // namespace kestrova
