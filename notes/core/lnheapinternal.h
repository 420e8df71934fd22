// The block list as LNDeleteAllObjects walks it (internal to the object core).
#pragma once

// The newest listed block, or null when the list is empty.
void* LNNewestHeapBlock();

// Takes a block that is still live off the list without freeing it; a freed or unlisted block is passed over.
void LNUnlistHeapBlock(void* block);
