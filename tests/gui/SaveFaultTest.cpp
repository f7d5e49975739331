// Saving and locking the week when the disk or the folders fail under the
// running window: a full disk, the menu folder removed or a file in its
// place, the order file deleted. The old file stays as it was, the person
// is told, the clicks stay in memory, and a save after the fault is over
// writes them all. Permissions do not stop root, who runs the tests in CI,
// so the faults are ones that stop root too.

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <Point.h>

#include "BxString.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "OrderFile.h"
#include "TLinkView.h"
#include "TempFolder.h"
#include "WDBox.h"


namespace {

const char* const kMenu = "2004/05/17;MON;Menu 1;Pasta;flour, eggs\n"
						  "2004/05/17;MON;Menu 2;Soup;water, salt\n"
						  "2004/05/18;TUE;Menu 1;Rice;rice, peas\n";

const char* const kPasta = "2004/05/17;MON;Menu 1;Pasta;flour, eggs";
const char* const kSoup = "2004/05/17;MON;Menu 2;Soup;water, salt";
const char* const kRice = "2004/05/18;TUE;Menu 1;Rice;rice, peas";

const BPoint kFirstRow(150, 6);

// The file after two portions of Monday's pasta and one of Tuesday's rice.
const std::string kOrdered = std::string(">") + kPasta + "\n:.no subscriber#02;\n>" + kSoup
	+ "\n:.\n>" + kRice + "\n:.no subscriber#01;\n";


// The disk is full for this process while the object lives: no file may
// grow beyond limit bytes. Writes beyond it fail with EFBIG instead of
// ending the process.
class FullDisk
{
public:
	explicit FullDisk(rlim_t limit)
	{
		getrlimit(RLIMIT_FSIZE, &fOld);
		fOldHandler = signal(SIGXFSZ, SIG_IGN);
		struct rlimit tight = fOld;
		tight.rlim_cur = limit;
		fSet = setrlimit(RLIMIT_FSIZE, &tight) == 0;
	}

	~FullDisk()
	{
		setrlimit(RLIMIT_FSIZE, &fOld);
		signal(SIGXFSZ, fOldHandler);
	}

	bool IsSet() const { return fSet; }

private:
	struct rlimit fOld;
	void (*fOldHandler)(int);
	bool fSet;
};


// A small file system of the test's own over a folder, which can be made
// read-only or full: permissions do not stop root, a file system does. Only
// root may mount one; elsewhere IsMounted() says no.
class OwnFileSystem
{
public:
	explicit OwnFileSystem(const std::string& folder) :
		fFolder(folder),
		fMounted(mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k,mode=0755") == 0)
	{
	}

	~OwnFileSystem()
	{
		if (fMounted)
			umount2(fFolder.c_str(), MNT_DETACH);
	}

	bool IsMounted() const { return fMounted; }

	bool SetReadOnly(bool readOnly)
	{
		unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
		return mount("tmpfs", fFolder.c_str(), "tmpfs", flags, "size=256k,mode=0755") == 0;
	}

	// Fills what room is left with a file of its own.
	bool Fill()
	{
		int fd = open(Filler().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
		if (fd < 0)
			return false;
		std::string block(4096, 'x');
		while (write(fd, block.data(), block.size()) > 0) {
		}
		bool full = errno == ENOSPC;
		close(fd);
		return full;
	}

	void Empty() { unlink(Filler().c_str()); }

private:
	std::string Filler() const { return fFolder + "/filler"; }

	std::string fFolder;
	bool fMounted;
};


class SaveFaultTest : public MainWindowTest
{
protected:
	void SetUp() override
	{
		MainWindowTest::SetUp();
		WriteMenu(fWeek, kMenu);
	}

	void Click(int32 day, BPoint where)
	{
		TLinkView* view = fWindow->DayBox(day)->fView;
		BPrivate::SimulateMouseMove(view, where);
		BPrivate::ProcessEvents();
		BPrivate::SimulateMouseDown(view, where, B_PRIMARY_MOUSE_BUTTON);
		BPrivate::ProcessEvents();
		BPrivate::SimulateMouseUp(view, where, B_PRIMARY_MOUSE_BUTTON);
		BPrivate::ProcessEvents();
	}

	// The clicks of kOrdered.
	void Order()
	{
		Click(0, kFirstRow);
		Click(0, kFirstRow);
		Click(1, kFirstRow);
	}


	// The clicks of Order() are all still in the day boxes, unsaved.
	void ExpectClicksKept()
	{
		EXPECT_TRUE(fWindow->IsUnsaved());
		EXPECT_EQ(2, Portions(0, 0));
		EXPECT_EQ(0, Portions(0, 1));
		EXPECT_EQ(1, Portions(1, 0));
	}
};


// The order file is made when a week is first opened. When that fails, the
// person is told, the week takes clicks all the same, and the first save
// that can write makes the whole file; the next start reads it as any.
TEST_F(SaveFaultTest, AWeekFirstOpenedOnAReadOnlyOrFullFolderIsSavedWholeLater)
{
	const struct
	{
		const char* name;
		std::function<bool(OwnFileSystem&)> fail;
		std::function<bool(OwnFileSystem&)> mend;
	} cases[] = {
		{"read-only", [](OwnFileSystem& disk) { return disk.SetReadOnly(true); },
			[](OwnFileSystem& disk) { return disk.SetReadOnly(false); }},
		{"full", [](OwnFileSystem& disk) { return disk.Fill(); },
			[](OwnFileSystem& disk) {
				disk.Empty();
				return true;
			}},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		OwnFileSystem disk(MenuFolder());
		if (!disk.IsMounted())
			GTEST_SKIP() << "a file system of the test's own needs root";
		WriteMenu(fWeek, kMenu);
		ASSERT_TRUE(test.fail(disk));

		Open();
		EXPECT_FALSE(std::filesystem::exists(OrderPath(fWeek)));
		EXPECT_TRUE(AlertWith(OrderPath(fWeek).c_str())) << "the alert names the file";
		Order();
		ExpectClicksKept();
		Send(kMsgSaveOrders);
		EXPECT_TRUE(AlertWith("saving failed"));

		ASSERT_TRUE(test.mend(disk));
		Send(kMsgSaveOrders);
		EXPECT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek)));
		EXPECT_FALSE(fWindow->IsUnsaved());

		Close();
		Open();
		EXPECT_TRUE(fResponder.fAlerts.empty());
		EXPECT_EQ(2, Portions(0, 0));
		EXPECT_EQ(1, Portions(1, 0));
		Close();
	}
}


TEST_F(SaveFaultTest, AFullDiskKeepsTheOldFileAndTheClicksForALaterSave)
{
	Open();
	Order();
	std::string old = ReadWholeFile(OrderPath(fWeek));
	ASSERT_FALSE(old.empty());
	ASSERT_EQ(B_OK, fWindow->FlushJournal());
	std::vector<std::string> files = FilesIn(MenuFolder());

	{
		// Room for less than the new file.
		FullDisk full(kOrdered.size() / 2);
		ASSERT_TRUE(full.IsSet());
		Send(kMsgSaveOrders);
	}

	EXPECT_EQ(old, ReadWholeFile(OrderPath(fWeek)));
	EXPECT_TRUE(AlertWith("saving failed"));
	EXPECT_TRUE(AlertWith(OrderPath(fWeek).c_str())) << "the alert names the file";
	ExpectClicksKept();
	// The half-written new file went with the failure.
	EXPECT_EQ(files, FilesIn(MenuFolder()));

	fResponder.fAlerts.clear();
	Send(kMsgSaveOrders);
	EXPECT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek)));
	EXPECT_FALSE(fWindow->IsUnsaved());
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST_F(SaveFaultTest, AFullDiskWhileLockingLeavesTheWeekOpenAndTheFileWhole)
{
	Open();
	Order();
	Send(kMsgSaveOrders);
	ASSERT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek)));

	{
		// Room for the marker's start, not for the whole line.
		FullDisk full(kOrdered.size() + strlen(kClosedMarker) + 3);
		ASSERT_TRUE(full.IsSet());
		Send(kMsgCloseWeek);
	}

	EXPECT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek))) << "no part of the marker stays";
	EXPECT_FALSE(fWindow->IsWeekClosed());
	EXPECT_TRUE(AlertWith("closing the week failed"));
	// Read again, the file shows the week open as well.
	std::vector<OrderFileLine> lines;
	ASSERT_TRUE(ReadOrderFile(OrderPath(fWeek).c_str(), &lines));
	for (const OrderFileLine& line : lines)
		EXPECT_NE(kClosedMarkerLine, line.kind) << line.text;

	Send(kMsgCloseWeek);
	EXPECT_TRUE(fWindow->IsWeekClosed());
	std::string closed = ReadWholeFile(OrderPath(fWeek));
	EXPECT_EQ(0u, closed.find(kOrdered + kClosedMarker)) << closed;
}


TEST_F(SaveFaultTest, TheMenuFolderRemovedKeepsTheClicksUntilItIsBack)
{
	Open();
	Order();
	std::filesystem::remove_all(MenuFolder());

	Send(kMsgSaveOrders);
	EXPECT_TRUE(AlertWith("saving failed"));
	ExpectClicksKept();
	EXPECT_FALSE(std::filesystem::exists(MenuFolder())) << "nothing is made in its place";

	// Once the folder is back, the save writes every record of the week.
	ASSERT_EQ(0, mkdir(MenuFolder().c_str(), 0755));
	fResponder.fAlerts.clear();
	Send(kMsgSaveOrders);
	EXPECT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek)));
	EXPECT_FALSE(fWindow->IsUnsaved());
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST_F(SaveFaultTest, AFileInTheMenuFoldersPlaceIsLeftAloneAndTheClicksKept)
{
	Open();
	Order();
	std::filesystem::remove_all(MenuFolder());
	fFolder.WriteFile("meals_cvs", "not a folder\n");

	Send(kMsgSaveOrders);
	EXPECT_TRUE(AlertWith("saving failed"));
	ExpectClicksKept();
	EXPECT_EQ("not a folder\n", ReadWholeFile(MenuFolder()));

	// Locking asks first, and a failing save keeps the week open.
	fResponder.fAlerts.clear();
	fResponder.fAlertAnswer = 0;
	Send(kMsgCloseWeek);
	EXPECT_TRUE(AlertWith("not saved"));
	EXPECT_TRUE(AlertWith("saving failed"));
	EXPECT_FALSE(fWindow->IsWeekClosed());
	ExpectClicksKept();

	ASSERT_EQ(0, unlink(MenuFolder().c_str()));
	ASSERT_EQ(0, mkdir(MenuFolder().c_str(), 0755));
	Send(kMsgSaveOrders);
	EXPECT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek)));
	EXPECT_FALSE(fWindow->IsUnsaved());
}


TEST_F(SaveFaultTest, TheOrderFileDeletedIsWrittenAgainWithEveryRecord)
{
	Open();
	Click(0, kFirstRow);
	Send(kMsgSaveOrders);
	ASSERT_EQ(0, unlink(OrderPath(fWeek).c_str()));

	// A save without new clicks writes it again too.
	Send(kMsgSaveOrders);
	EXPECT_EQ(std::string(">") + kPasta + "\n:.no subscriber#01;\n>" + kSoup + "\n:.\n>" + kRice
			+ "\n:.\n",
		ReadWholeFile(OrderPath(fWeek)));

	ASSERT_EQ(0, unlink(OrderPath(fWeek).c_str()));
	Click(0, kFirstRow);
	Click(1, kFirstRow);
	Send(kMsgSaveOrders);
	EXPECT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek)));
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST_F(SaveFaultTest, LockingADeletedOrderFileSaysSoAndKeepsTheWeekOpen)
{
	Open();
	Order();
	Send(kMsgSaveOrders);
	ASSERT_EQ(0, unlink(OrderPath(fWeek).c_str()));

	Send(kMsgCloseWeek);
	EXPECT_TRUE(AlertWith("closing the week failed"));
	EXPECT_FALSE(fWindow->IsWeekClosed());
	EXPECT_FALSE(std::filesystem::exists(OrderPath(fWeek)));

	// A save puts the orders back, and then the week can be closed.
	Send(kMsgSaveOrders);
	EXPECT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek)));
	Send(kMsgCloseWeek);
	EXPECT_TRUE(fWindow->IsWeekClosed());
}


TEST_F(SaveFaultTest, AReadOnlyMenuFolderStopsTheSaveOfAnyoneButRoot)
{
	if (geteuid() == 0)
		GTEST_SKIP() << "permissions do not stop root";
	Open();
	Order();
	std::string old = ReadWholeFile(OrderPath(fWeek));
	ASSERT_EQ(0, chmod(MenuFolder().c_str(), 0555));

	Send(kMsgSaveOrders);
	chmod(MenuFolder().c_str(), 0755);
	EXPECT_TRUE(AlertWith("saving failed"));
	EXPECT_EQ(old, ReadWholeFile(OrderPath(fWeek)));
	ExpectClicksKept();

	Send(kMsgSaveOrders);
	EXPECT_EQ(kOrdered, ReadWholeFile(OrderPath(fWeek)));
}

} // namespace
