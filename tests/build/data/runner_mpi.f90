! An MPI test program: each rank prints its number, the size and its arguments.
program mpiprobe
  use mpi
  implicit none
  integer :: ierr, rank, nprocs, i
  character(len=256) :: arg
  character(len=1024) :: line
  call MPI_Init(ierr)
  call MPI_Comm_rank(MPI_COMM_WORLD, rank, ierr)
  call MPI_Comm_size(MPI_COMM_WORLD, nprocs, ierr)
  write(line, '(a,i0,a,i0)') 'rank ', rank, ' of ', nprocs
  do i = 1, command_argument_count()
    call get_command_argument(i, arg)
    line = trim(line) // ' [' // trim(arg) // ']'
  end do
  write(*, '(a)') trim(line)
  call MPI_Finalize(ierr)
end program mpiprobe
