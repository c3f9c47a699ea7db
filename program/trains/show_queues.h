// The show's four first-in, first-out lists: the due list of run-queue entries that the main
// loop works off, and the three train lists (pending steps, priority waits, start queue) that
// share one link of the train record, so a record is on at most one of them.
//
// Appending is idempotent: a record already on the list stays where it is, and a record on
// another of the shared-link lists is moved, so that no append can cut or loop a list.
// Takers use the Take procedures, which keep the "on which list" marks right.
#pragma once

#include <cstdint>

namespace yov {

// TrainRec::OnList.
namespace train_list {
inline constexpr uint8_t kNone = 0;
inline constexpr uint8_t kSteps = 1;
inline constexpr uint8_t kPriority = 2;
inline constexpr uint8_t kStarts = 3;
}  // namespace train_list

void QueueDueEvent(int32_t entry);
void QueueObjectStep(int32_t train);
void QueueTrainStart(int32_t train);
void QueueCurrentTrain();

// The head of a list, taken off it; 0 when the list is empty.
int32_t TakeDueEvent();
int32_t TakeObjectStep();
int32_t TakePriorityTrain();
int32_t TakeTrainStart();

// Takes a record off whatever list holds it (a freed record must be on none, or its reuse
// would cut the list).
void UnqueueDueEvent(int32_t entry);
void UnqueueTrain(int32_t train);

// Empties all four lists, as every display creation does.
void ResetShowLists();

}  // namespace yov
