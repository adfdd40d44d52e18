! A test program for the process runner: its first argument chooses what it does.
program faketool
  use iso_c_binding
  implicit none
  interface
    integer(c_int) function c_raise(sig) bind(c, name='raise')
      import c_int
      integer(c_int), value :: sig
    end function
    integer(c_int) function c_usleep(us) bind(c, name='usleep')
      import c_int
      integer(c_int), value :: us
    end function
  end interface
  character(len=4096) :: mode, arg, line
  character(len=1023) :: big
  integer :: i, n, ios, count, rc
  integer(8) :: total

  call get_command_argument(1, mode)
  select case (trim(mode))
  case ('interleave')
    write(*, '(a)') 'out one'
    flush(6)
    rc = c_usleep(100000)
    write(0, '(a)') 'err one'
    flush(0)
    rc = c_usleep(100000)
    write(*, '(a)') 'out two'
  case ('exit')
    call get_command_argument(2, arg)
    read(arg, *) n
    write(*, '(a)') 'leaving'
    call exit(n)
  case ('segv')
    write(*, '(a)') 'about to crash'
    flush(6)
    rc = c_raise(11)
  case ('echo')
    ! Echoes lines until "end" or end of input.
    do
      read(*, '(a)', iostat=ios) line
      if (ios /= 0) exit
      if (trim(line) == 'end') exit
      write(*, '(a)') 'got: [' // trim(line) // ']'
      flush(6)
    end do
    write(*, '(a)') 'echo done'
  case ('slowread')
    ! Reads lines slowly until "end"; prints the count and the total length.
    count = 0
    total = 0
    do
      read(*, '(a)', iostat=ios) line
      if (ios /= 0) exit
      if (trim(line) == 'end') exit
      count = count + 1
      total = total + len_trim(line)
      if (mod(count, 2000) == 0) rc = c_usleep(2000)
    end do
    write(*, '(a,i0,a,i0)') 'lines ', count, ' chars ', total
  case ('flood')
    call get_command_argument(2, arg)
    read(arg, *) n
    big = repeat('x', 1023)
    do i = 1, n * 1024
      write(*, '(a)') big
    end do
  case ('args')
    do i = 2, command_argument_count()
      call get_command_argument(i, arg)
      write(*, '(a)') '[' // trim(arg) // ']'
    end do
  case ('env')
    call get_command_argument(2, arg)
    call get_environment_variable(trim(arg), line, status=ios)
    if (ios == 0) then
      write(*, '(a)') trim(line)
    else
      write(*, '(a)') '<unset>'
    end if
  case ('cwd')
    call getcwd(line)
    write(*, '(a)') trim(line)
  case ('sleep')
    call get_command_argument(2, arg)
    read(arg, *) n
    call sleep(n)
  case default
    write(0, '(a)') 'unknown mode ' // trim(mode)
    call exit(64)
  end select
end program faketool
