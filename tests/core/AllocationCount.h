#pragma once
// How many times this test program has called operator new so far; a test holds a piece
// of work to none by comparing the count before and after it.
long AllocationCount();
