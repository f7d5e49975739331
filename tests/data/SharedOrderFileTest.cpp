// What lets several programs save one week: the lock beside the order file,
// held by one program at a time (another process holds it here), the saves
// it knows to have landed, and a program's changes put on top of what
// another program saved.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include <Errors.h>
#include <List.h>

#include "BxString.h"
#include "Journal.h"
#include "MenuFile.h"
#include "SharedOrderFile.h"
#include "OrderLockHolder.h"
#include "TempFolder.h"


namespace {

int32
PortionsOf(BxString* record, const char* person)
{
	bool logged = BxString::IsLogged;
	BxString::IsLogged = true;
	record->CalcUserOrder(person, kOrderQuery);
	BxString::IsLogged = logged;
	return record->fCount;
}

} // namespace


TEST(OrderFileLockTest, OneProgramAtATimeAndAnEndedOneLetsGo)
{
	TempFolder folder;
	std::string order = folder.WriteFile("Menu_KW49.order", ">x\n:.\n");
	pid_t other = HoldOrderLockElsewhere(order);
	ASSERT_GT(other, 0);

	OrderFileLock lock(order.c_str());
	EXPECT_EQ(B_TIMED_OUT, lock.Acquire(200000));

	// However the other program ends, its lock goes with it.
	EndLockHolder(other);
	EXPECT_EQ(B_OK, lock.Acquire(2000000));
	EXPECT_EQ(OrderLockPath(order.c_str()), order + ".lock");

	// A lock file that is no file is not used.
	TempFolder other2;
	std::string second = other2.PathOf("Menu_KW50.order");
	ASSERT_EQ(0, mkdir(OrderLockPath(second.c_str()).c_str(), 0755));
	OrderFileLock refused(second.c_str());
	EXPECT_NE(B_OK, refused.Acquire(0));
}


// A program that began a save and ended before it could say whether it
// landed learns it from the lock file, after any number of saves by others.
TEST(OrderFileLockTest, ASaveIsKnownToHaveLandedWhenTheNextSaveFindsIt)
{
	TempFolder folder;
	std::string order = folder.WriteFile("Menu_KW49.order", "first\n");
	const std::string first = JournalChecksum("first\n");
	const std::string second = JournalChecksum("second\n");
	const std::string lost = JournalChecksum("never written\n");
	{
		OrderFileLock lock(order.c_str());
		ASSERT_EQ(B_OK, lock.Acquire(0));
		ASSERT_EQ(B_OK, lock.NoteSave("kiosk1", lost, JournalChecksumOfFile(order.c_str())));
	}
	// kiosk1 died before its file was written; kiosk2 finds the old file.
	{
		OrderFileLock lock(order.c_str());
		ASSERT_EQ(B_OK, lock.Acquire(0));
		ASSERT_EQ(B_OK, lock.NoteSave("kiosk2", second, JournalChecksumOfFile(order.c_str())));
		folder.WriteFile("Menu_KW49.order", "second\n");
	}
	// kiosk3 finds kiosk2's file.
	{
		OrderFileLock lock(order.c_str());
		ASSERT_EQ(B_OK, lock.Acquire(0));
		ASSERT_EQ(B_OK, lock.NoteSave("kiosk3", first, JournalChecksumOfFile(order.c_str())));
	}
	EXPECT_FALSE(SaveLanded(order.c_str(), lost));
	EXPECT_TRUE(SaveLanded(order.c_str(), second));
	// Begun, not yet found by a later save.
	EXPECT_FALSE(SaveLanded(order.c_str(), first));
	EXPECT_FALSE(SaveLanded(folder.PathOf("Menu_KW50.order").c_str(), second));
}


TEST(OrderChangesTest, ChangesGoOnTopOfWhatAnotherProgramSaved)
{
	const char* pasta = ">2026-12-07;MON;Menu 1;Pasta;flour";
	const char* soup = ">2026-12-07;MON;Menu 2;Soup;water";
	BList days[kDaysPerWeek];
	BList* records[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		records[day] = &days[day];
	// What the other program saved: Anna 2 pasta, Bert 1 soup.
	BxString* pastaRecord = new BxString(pasta);
	pastaRecord->AddOrderLine(":.Anna#02;");
	BxString* soupRecord = new BxString(soup);
	soupRecord->AddOrderLine(":.Bert#01;");
	days[0].AddItem(pastaRecord);
	days[0].AddItem(soupRecord);

	OrderChanges changes;
	changes.Add(0, pasta, "Anna", 1);
	changes.Add(0, pasta, "Cleo", 1);
	changes.Add(0, pasta, "Cleo", 1);
	changes.Add(0, pasta, "Cleo", -1);
	// Taken back here twice; the other program left one: none is left.
	changes.Add(0, soup, "Bert", -2);
	// Ordered and taken back again: no change at all.
	changes.Add(0, soup, "Dora", 1);
	changes.Add(0, soup, "Dora", -1);
	// A meal the file does not hold (trailing blanks match all the same).
	changes.Add(1, ">2026-12-08;TUE;Menu 1;Stew;beans", "Anna", 1);
	changes.Add(0, (std::string(pasta) + "  \r").c_str(), "Emil", 1);
	EXPECT_EQ(5, changes.CountChanged());

	EXPECT_EQ(1, changes.ApplyTo(records));
	EXPECT_EQ(3, PortionsOf(pastaRecord, "Anna"));
	EXPECT_EQ(1, PortionsOf(pastaRecord, "Cleo"));
	EXPECT_EQ(1, PortionsOf(pastaRecord, "Emil"));
	EXPECT_EQ(0, PortionsOf(soupRecord, "Bert"));
	EXPECT_EQ(0, PortionsOf(soupRecord, "Dora"));
	EXPECT_LT(soupRecord->OrderLineAt(0)->FindFirst("Dora"), 0);
	delete pastaRecord;
	delete soupRecord;
}
