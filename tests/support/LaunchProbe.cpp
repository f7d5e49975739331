// A kit program for tests of single launch: started with a signature (and
// any arguments), it makes its application object. When a program of that
// signature runs already, the application object hands the arguments over
// and ends this process with status 0; otherwise it says so and ends with
// status 3.

#include <stdio.h>

#include <Application.h>


int
main(int argc, char** argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: launch-probe SIGNATURE [ARGUMENT ...]\n");
		return 2;
	}
	BApplication::SetArguments(argc, argv);
	BApplication application(argv[1]);
	printf("launch-probe: the first of '%s'\n", argv[1]);
	return 3;
}
